#pragma once

// The credits the scenes show. They name the project that made this program and how its
// content was made, never people: nobody is to be credited who did not do the work.

#include <array>
#include <string_view>

namespace zv::saver {

// The title-2 opening: one page of up to five lines a page, an empty line ends a page.
using CreditPage = std::array<const char*, 5>;
const std::array<CreditPage, 6>& Title2CreditPages();

// The title-5 opening's staff list, one line at a time.
constexpr int kTitle5StaffLines = 8;
const std::array<const char*, kTitle5StaffLines>& Title5StaffLines();

}  // namespace zv::saver
