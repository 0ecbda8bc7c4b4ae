#pragma once

#include "low/Known.h"
