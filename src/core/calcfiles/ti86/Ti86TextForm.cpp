// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti86/Ti86TextForm.h"

#include <algorithm>

namespace kalvo::calc::ti86text {

Spellings::Spellings() {
    const auto add = [this](const std::string& text, const Ti86Token& token) {
        if (text.empty() || !byText.emplace(text, token).second)
            return; // the first code with a spelling keeps it (cSum is 8E 2F)
        longest = std::max(longest, text.size());
        for (std::size_t n = 1; n <= text.size(); ++n)
            prefixes.insert(text.substr(0, n));
    };
    for (const Ti86TokenInfo& info : ti86Tokens()) {
        if (info.code == kNewline || info.data == Ti86Inline::String)
            continue;
        Ti86Token token;
        token.code = info.code;
        add(info.text, token);
    }
    for (const Ti86BuiltinName& name : ti86BuiltinNames()) {
        Ti86Token token;
        token.code = name.code;
        token.data = name.name;
        std::string text;
        for (const char c : name.name) {
            std::uint8_t t = 0;
            ti86FontToText(static_cast<std::uint8_t>(c), t);
            text.push_back(static_cast<char>(t));
        }
        add(text, token);
        builtins.insert(static_cast<char>(name.code) + name.name);
    }
    // Pointers into byText stay valid: it is not changed after this.
    for (const auto& [text, token] : byText) {
        std::uint32_t node = 0;
        for (const char c : text)
            node = step(node, c, true);
        tree[node].token = &token;
    }
    for (const auto& [c, to] : tree[0].next)
        first[static_cast<std::uint8_t>(c)] = to;
}

} // namespace kalvo::calc::ti86text
