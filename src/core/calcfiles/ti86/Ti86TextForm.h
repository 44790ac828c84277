// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/ti86/Ti86Font.h"
#include "calcfiles/ti86/Ti86Tokens.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

// What the `ti86` text's writer (Ti86Listing) and its reader (Ti86Tokenizer)
// must agree on for a listing to read back as the same tokens: the spellings,
// which bytes make up a word, and which end a unit name. Not for other users.
namespace kalvo::calc::ti86text {

inline constexpr std::uint16_t kColon = ti86::Colon;
inline constexpr std::uint16_t kNewline = ti86::Newline;
inline constexpr char kArrowText = '\xE5'; // ▶ (font 05)

// ---------------------------------------------------------------------------
// Spellings: every name the tokenizer knows, in text form.

struct Spellings {
    std::unordered_map<std::string, Ti86Token> byText;
    std::unordered_set<std::string> prefixes; // every proper and whole prefix
    std::unordered_set<std::string> builtins; // code byte, then the font name
    std::size_t longest = 0;

    // The same spellings as a tree of characters, for the tokenizer: one
    // step per character read instead of a hashed look-up per length. Flat,
    // so that a step reads a few neighbouring bytes: node n's successors are
    // edges [nodes[n].edges, nodes[n].edges + nodes[n].count).
    struct Node {
        const Ti86Token* token = nullptr; // the spelling that ends here
        std::uint32_t edges = 0;
        std::uint16_t count = 0;
        bool wordEnd = false;               // its last character is word text
        Ti86Inline data = Ti86Inline::None; // what follows the token's code
    };
    std::vector<Node> nodes{1};
    std::vector<char> edgeChar;
    std::vector<std::uint32_t> edgeTo;
    std::array<std::uint32_t, 256> first{}; // the root's successors, by character

    Spellings();
};

// Built once, on first use; asked for every pair of tokens listed.
inline const Spellings& spellings() {
    static const Spellings s;
    return s;
}

// Asked for nearly every byte the tokenizer reads: one look-up.
inline constexpr std::array<bool, 256> kWordText = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] =
            isTi86NameText(static_cast<std::uint8_t>(c)) || c == '\\';
    return table;
}();

inline bool isWordText(char c) {
    return kWordText[static_cast<std::uint8_t>(c)];
}

// What may not appear inside a unit name in text without an escape: it ends
// the name (or, for "å", separates the two units).
inline constexpr bool endsUnitByte(std::uint8_t c) {
    switch (c) {
    case ' ':
    case ':':
    case ',':
    case '(':
    case ')':
    case '"':
    case '{':
    case '}':
    case '[':
    case ']':
    case '+':
    case '*':
    case '=':
    case '<':
    case '>':
    case '^':
    case '!':
    case '\r':
    case '\n':
    case static_cast<std::uint8_t>(kArrowText):
    case 0xFC: // → (font 1C)
        return true;
    default:
        return false;
    }
}

// The tokenizer asks this for nearly every byte it reads: one look-up.
inline constexpr std::array<bool, 256> kEndsUnit = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = endsUnitByte(static_cast<std::uint8_t>(c));
    return table;
}();

inline bool endsUnit(char c) {
    return kEndsUnit[static_cast<std::uint8_t>(c)];
}

inline Ti86Inline inlineOf(const Ti86Token& token) {
    return token.known ? ti86InlineOf(token.code) : Ti86Inline::None;
}

} // namespace kalvo::calc::ti86text
