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
    {
        // Plain-text programs spell ˣ√ with the other superscript x, font CD
        // (see Ti86Font.cpp); the listing keeps writing it with 09.
        Ti86Token root;
        root.code = ti86::XRoot;
        add("\xCD\xF0", root);
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
    // Pointers into byText stay valid: it is not changed after this. The
    // tree is grown with a list of successors per node, then laid out flat.
    struct Growing {
        std::vector<std::pair<char, std::uint32_t>> next;
        const Ti86Token* token = nullptr;
        bool wordEnd = false;
    };
    std::vector<Growing> tree(1);
    for (const auto& [text, token] : byText) {
        std::uint32_t node = 0;
        for (const char c : text) {
            std::uint32_t to = 0;
            for (const auto& [k, t] : tree[node].next)
                if (k == c)
                    to = t;
            if (to == 0) {
                to = static_cast<std::uint32_t>(tree.size());
                tree.emplace_back().wordEnd = isWordText(c);
                tree[node].next.emplace_back(c, to);
            }
            node = to;
        }
        tree[node].token = &token;
    }
    nodes.resize(tree.size());
    for (std::size_t n = 0; n < tree.size(); ++n) {
        nodes[n].token = tree[n].token;
        if (tree[n].token != nullptr)
            nodes[n].data = ti86InlineOf(tree[n].token->code);
        nodes[n].wordEnd = tree[n].wordEnd;
        nodes[n].edges = static_cast<std::uint32_t>(edgeChar.size());
        nodes[n].count = static_cast<std::uint16_t>(tree[n].next.size());
        for (const auto& [c, to] : tree[n].next) {
            edgeChar.push_back(c);
            edgeTo.push_back(to);
        }
    }
    for (const auto& [c, to] : tree[0].next)
        first[static_cast<std::uint8_t>(c)] = to;
}

} // namespace kalvo::calc::ti86text
