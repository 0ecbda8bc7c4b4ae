#pragma once

#include "high/High.h"
#include "Up.h"
#include <vector>
