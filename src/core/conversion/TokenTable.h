// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

namespace kalvo {

// One find-and-replace row: a TI-86 spelling and its TI-83 Plus spelling, both
// Windows-1252 bytes.
struct TokenRow {
    std::string_view find;
    std::string_view replace;
};

inline constexpr int kTokenRowCount = 81;

// Rows 1 to 81 in the order the conversion applies them; nothing for any
// other number.
std::optional<TokenRow> tokenRow(int number);

} // namespace kalvo
