// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

// The calculators a translated program is meant for. All three run the same
// TI-83 Plus .8xp program; what differs is what fits on their screens and in
// their menus (every token the translator writes is one all three have).
namespace kalvo::calc {

enum class Ti83pModel { Ti83p, Ti84p, Ti84pce };

struct Ti83pTarget {
    Ti83pModel model = Ti83pModel::Ti83p;
    std::string_view id;   // as --target names it: ti83p
    std::string_view name; // as messages name it: TI-83 Plus
    long homeRows = 8;     // Output(: rows and columns from 1
    long homeColumns = 16;
    long graphRows = 62; // Text( and Pxl-On(: the last row and column, from 0
    long graphColumns = 94;
    std::size_t menuChoices = 7; // Menu(: choices, title and choice lengths
    std::size_t menuTitle = 16;
    std::size_t menuChoice = 14;
};

// The three, the TI-83 Plus first (the default).
std::span<const Ti83pTarget> ti83pTargets();

const Ti83pTarget& ti83pTarget(Ti83pModel model);

// The target --target names (ti83p, ti84p, ti84pce), or nothing.
std::optional<Ti83pModel> ti83pModelNamed(std::string_view id);

} // namespace kalvo::calc
