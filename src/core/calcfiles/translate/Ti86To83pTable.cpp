// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/translate/Ti86To83pTable.h"

#include "calcfiles/ti83p/Ti83pTokens.h"
#include "calcfiles/ti86/Ti86Tokens.h"

#include <algorithm>
#include <array>

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
    static const auto sorted = [] {
        std::array<Ti86To83pRule, std::size(kRules)> rules{};
        std::transform(std::begin(kRules), std::end(kRules), rules.begin(),
                       [](const Row& row) { return row.rule; });
        std::sort(rules.begin(), rules.end(),
                  [](const Ti86To83pRule& a, const Ti86To83pRule& b) { return a.ti86 < b.ti86; });
        return rules;
    }();
    const auto found = std::lower_bound(
        sorted.begin(), sorted.end(), ti86Code,
        [](const Ti86To83pRule& rule, std::uint16_t code) { return rule.ti86 < code; });
    return found != sorted.end() && found->ti86 == ti86Code ? &*found : nullptr;
}

bool ti83pTokenOpensParen(std::uint16_t ti83pCode) {
    if (ti83pCode == ti83p::LParen)
        return false; // "(" itself
    const Ti83pTokenInfo* info = ti83pTokenInfo(ti83pCode);
    return info != nullptr && !info->font.empty() && info->font.back() == '(';
}

} // namespace kalvo::calc
