// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// TI-86 BASIC tokens: one list, Ti86Tokens.def (code, name, spacing, inline
// data, flags, TI-83 Plus rule), that everything else asks, and the token
// values the listing, the tokenizer and their users exchange.
namespace kalvo::calc {

namespace ti86 {
// Every token by name (ti86::Lbl, ti86::PxOn).
enum Code : std::uint16_t {
#define TI86_TOKEN(code, name, ...) name = code,
#include "calcfiles/ti86/Ti86Tokens.def"
#undef TI86_TOKEN
};
} // namespace ti86

// What users of a token ask of it, as bits of Ti86TokenInfo::flags.
namespace ti86flag {
enum : std::uint16_t {
    EndsOperand = 1 << 0,      // ends a function's operand written without "(": → , ) + == and
    Value = 1 << 1,            // a value on its own: number, name, π, system variable
    Comparison = 1 << 2,       // == < > ≤ ≥ ≠
    HomeCoordinates = 1 << 3,  // (row, column) of the home screen as its first two arguments
    GraphCoordinates = 1 << 4, // (row, column) of the graph screen, in pixels
    ListArgument = 1 << 5,     // its argument is a list
    StringArgument = 1 << 6,   // its argument is a string
    MatrixArgument = 1 << 7,   // its argument is a matrix
    ListArguments = 1 << 8,    // statistics: every name among its arguments is a list
};
} // namespace ti86flag

// What follows a token's code in a program.
enum class Ti86Inline : std::uint8_t {
    None,
    String,     // 2D: font bytes up to a 00, the closing quote
    LengthName, // 32, 3B, 3C: a length byte, then the name
    FixedName,  // 33-3A: a name of 1-8 font bytes, its length in the code
    Conversion, // 3E: two names in the 33-3A form, from-unit and to-unit
    Number,     // 44: the number's characters up to a 00
    Label,      // E0 Lbl: the label up to a 00
    Goto,       // E1 Goto: two bytes of cached position, then the label up to a 00
};

// How the listing spaces a token from its neighbours.
enum class Ti86Spacing : std::uint8_t {
    Plain,   // only where two words would run together
    Command, // a space after it when anything follows on the line (Disp, If)
    Infix,   // a space on both sides (and, or, xor, nPr, nCr)
    Prefix,  // a space after it, also before "(" (abs, sin, iPart)
};

struct Ti86TokenInfo {
    std::uint16_t code = 0;  // 00xx, or 3Dxx / 8Exx for the two-byte tokens
    std::string_view glyphs; // the name as the calculator shows it, UTF-8
    std::string text;        // the name in `ti86` text (Windows-1252)
    Ti86Spacing spacing = Ti86Spacing::Plain;
    Ti86Inline data = Ti86Inline::None;
    std::uint16_t flags = 0; // ti86flag bits

    bool has(std::uint16_t flag) const { return (flags & flag) != 0; }
};

// The entry for a code, or nullptr for a code the TI-86 does not use (00,
// FF, 3D 3E-FF, 8E 32-FF) or that only marks a program's kind (8E 28, 8E 29).
const Ti86TokenInfo* ti86TokenInfo(std::uint16_t code);

namespace ti86detail {
// Every code's flags, by page (00xx, 3Dxx, 8Exx): asked in the hot loops of
// the report and the translator, so made when compiling.
struct FlagPages {
    std::uint16_t page[3][256];
    Ti86Inline data[3][256]; // what follows each code
};
inline constexpr FlagPages kFlagPages = [] {
    using namespace ti86flag;
    struct Row {
        std::uint16_t code;
        std::uint16_t flags;
        Ti86Inline data;
    };
    constexpr Row rows[] = {
#define TI86_TOKEN(code, name, glyphs, spacing, data, flags, ...)                                  \
    {code, static_cast<std::uint16_t>(flags), Ti86Inline::data},
#include "calcfiles/ti86/Ti86Tokens.def"
#undef TI86_TOKEN
    };
    FlagPages pages{};
    for (const Row& row : rows) {
        const int page = row.code >> 8 == 0 ? 0 : row.code >> 8 == 0x3D ? 1 : 2;
        pages.page[page][row.code & 0xFF] = row.flags;
        pages.data[page][row.code & 0xFF] = row.data;
    }
    return pages;
}();
} // namespace ti86detail

// Whether a known token of this code has the ti86flag `flag` (any of them,
// for several).
inline bool ti86Has(std::uint16_t code, std::uint16_t flag) {
    const unsigned high = code >> 8;
    const int page = high == 0 ? 0 : high == 0x3D ? 1 : high == 0x8E ? 2 : -1;
    return page >= 0 && (ti86detail::kFlagPages.page[page][code & 0xFF] & flag) != 0;
}

// What follows a code in a program (ti86TokenInfo(code)->data, None for a
// code the table does not know), without a look-up.
inline Ti86Inline ti86InlineOf(std::uint16_t code) {
    const unsigned high = code >> 8;
    const int page = high == 0 ? 0 : high == 0x3D ? 1 : high == 0x8E ? 2 : -1;
    return page >= 0 ? ti86detail::kFlagPages.data[page][code & 0xFF] : Ti86Inline::None;
}

// Every known token, in code order.
const std::vector<Ti86TokenInfo>& ti86Tokens();

// Built-in names carried inline by 32 (x, y, Q1...), 3B (y1, xt1, r1...) and
// 3C (Ans, corr, Σx...), as font bytes, with their code.
struct Ti86BuiltinName {
    std::uint16_t code;
    std::string name;
};
const std::vector<Ti86BuiltinName>& ti86BuiltinNames();

// One token of a program: its code and inline data, where it sits in the
// file and where it sits in the text.
struct Ti86Token {
    // Written out, so that a token made in place (emplace_back()) has its
    // fields set once instead of all its bytes cleared first.
    Ti86Token() {}

    // The small fields side by side, where they take one word.
    std::uint16_t code = 0;
    bool known = true;           // false: bytes the table does not know, kept in `data`
    bool terminated = true;      // the 00 after a string, number or label is there
    std::uint16_t gotoCache = 0; // Goto's cached position, big-endian in the file
    std::uint16_t toUnitAt = 0;  // a conversion's: where its to-unit begins in data
    std::string data;            // inline font bytes: string, name, number, label,
                                 // a conversion's from-unit then its to-unit
    std::uint64_t offset = 0;    // first byte in the file (or in the program data)
    // A text is at most a document's 2 GiB: its lines and columns fit.
    std::uint32_t size = 0; // bytes in the file
    std::uint32_t line = 0; // 1-based position in the text, in bytes
    std::uint32_t column = 0;

    std::string_view fromUnit() const { return std::string_view(data).substr(0, toUnitAt); }
    std::string_view toUnit() const { return std::string_view(data).substr(toUnitAt); }

    bool operator==(const Ti86Token& other) const {
        return code == other.code && known == other.known && data == other.data &&
               toUnitAt == other.toUnitAt && terminated == other.terminated &&
               gotoCache == other.gotoCache;
    }
};

// Token bytes (a tokenized program's data after any edit-lock mark) as
// tokens. `offset` is the file offset of body[0]. Inline data cut off by the
// end of the body is a warning with its offset; a code the table does not
// know (or a 3E without its two units) becomes a token with known == false
// holding the bytes, for the caller to report where it shows them.
std::vector<Ti86Token> decodeTi86Tokens(std::string_view body, std::uint64_t offset,
                                        Diagnostics& diagnostics);

// How many bytes encodeTi86Tokens() writes for one token.
std::size_t ti86EncodedSize(const Ti86Token& token);

// The bytes of tokens, as the calculator stores them.
std::string encodeTi86Tokens(const std::vector<Ti86Token>& tokens);

} // namespace kalvo::calc
