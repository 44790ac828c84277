// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/translate/Ti86To83pTable.h"

#include "calcfiles/ti83p/Ti83pTokens.h"
#include "calcfiles/ti86/Ti86Tokens.h"

#include <array>
#include <bitset>

namespace kalvo::calc {

namespace {

constexpr std::string_view kSortsInPlace =
    "SortA( and SortD( sort the list in place on the TI-83 Plus and return nothing";
constexpr std::string_view kKeyCodes =
    "getKey codes differ between the two keyboards; check the numbers it is compared with";
constexpr std::string_view kPlotArguments =
    "the TI-83 Plus takes the plot type as a token (Scatter, xyLine...), not a number";

// The rule of each token stands on its line of the TI-86 token list.
struct Row {
    constexpr Row(std::uint16_t ti86, Ti86To83pKind kind, std::uint16_t ti83p = 0,
                  std::string_view detail = {})
        : rule{ti86, kind, ti83p, detail} {}
    Ti86To83pRule rule;
};

constexpr Row kRules[] = {
#define TI86_TOKEN(code, name, glyphs, spacing, data, flags, kind, to, detail)                     \
    {code, Ti86To83pKind::kind, ti83p::to, detail},
#include "calcfiles/ti86/Ti86Tokens.def"
#undef TI86_TOKEN
};

} // namespace

const Ti86To83pRule* ti86To83pRule(std::uint16_t ti86Code) {
    // Asked for nearly every token: a slot per code of each of the three
    // grids (one byte, 3D xx, 8E xx), filled once.
    using Grid = std::array<const Ti86To83pRule*, 256>;
    static const auto grids = [] {
        std::array<Grid, 3> g{};
        for (const Row& row : kRules) {
            const int high = row.rule.ti86 >> 8;
            Grid& grid = high == 0x3D ? g[1] : high == 0x8E ? g[2] : g[0];
            grid[row.rule.ti86 & 0xFF] = &row.rule;
        }
        return g;
    }();
    const int high = ti86Code >> 8;
    const Grid* grid = high == 0      ? &grids[0]
                       : high == 0x3D ? &grids[1]
                       : high == 0x8E ? &grids[2]
                                      : nullptr;
    return grid == nullptr ? nullptr : (*grid)[ti86Code & 0xFF];
}

bool ti83pTokenOpensParen(std::uint16_t ti83pCode) {
    // Asked for most tokens written: one bit per code, set once.
    static const auto opens = [] {
        std::bitset<0x10000> bits;
        for (const Ti83pTokenInfo& info : ti83pTokens())
            if (info.code != ti83p::LParen && !info.font.empty() && info.font.back() == '(')
                bits.set(info.code); // "(" itself is not a function
        return bits;
    }();
    return opens.test(ti83pCode);
}

} // namespace kalvo::calc
