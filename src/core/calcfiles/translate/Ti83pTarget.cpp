// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/translate/Ti83pTarget.h"

#include <array>

namespace kalvo::calc {

namespace {

// Screens: the TI-83 Plus and TI-84 Plus home screen is 8 x 16, their graph
// screen 95 x 63 pixels; the TI-84 Plus CE has 10 x 26 and 265 x 165. Menus:
// 7 choices, a title of 16 characters and choices of 14 on the monochrome
// models; 9, 26 and 24 on the colour one.
constexpr std::array<Ti83pTarget, 3> kTargets = {{
    {Ti83pModel::Ti83p, "ti83p", "TI-83 Plus", 8, 16, 62, 94, 7, 16, 14},
    {Ti83pModel::Ti84p, "ti84p", "TI-84 Plus", 8, 16, 62, 94, 7, 16, 14},
    {Ti83pModel::Ti84pce, "ti84pce", "TI-84 Plus CE", 10, 26, 164, 264, 9, 26, 24},
}};

} // namespace

std::span<const Ti83pTarget> ti83pTargets() {
    return kTargets;
}

const Ti83pTarget& ti83pTarget(Ti83pModel model) {
    for (const Ti83pTarget& t : kTargets)
        if (t.model == model)
            return t;
    return kTargets.front();
}

std::optional<Ti83pModel> ti83pModelNamed(std::string_view id) {
    for (const Ti83pTarget& t : kTargets)
        if (t.id == id)
            return t.model;
    return std::nullopt;
}

} // namespace kalvo::calc
