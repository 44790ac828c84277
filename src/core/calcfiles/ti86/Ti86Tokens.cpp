// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti86/Ti86Tokens.h"

#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/ti86/Ti86Font.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace kalvo::calc {

namespace {

struct Row {
    std::uint16_t code;
    const char* glyphs;
    Ti86Spacing spacing;
    Ti86Inline data;
    std::uint16_t flags;
};

using namespace ti86flag;

constexpr Row kRows[] = {
#define TI86_TOKEN(code, name, glyphs, spacing, data, flags, ...)                                  \
    {code, glyphs, Ti86Spacing::spacing, Ti86Inline::data, static_cast<std::uint16_t>(flags)},
#include "calcfiles/ti86/Ti86Tokens.def"
#undef TI86_TOKEN
};

// Names held by 32, 3B and 3C, as the calculator shows them.
std::vector<std::pair<std::uint16_t, std::string>> builtinGlyphNames() {
    std::vector<std::pair<std::uint16_t, std::string>> names;
    for (const char* n : {"x", "y", "t", "r", "θ", "exp"})
        names.emplace_back(ti86::BuiltinName, n);
    for (int i = 1; i <= 9; ++i) {
        names.emplace_back(ti86::BuiltinName, "Q" + std::to_string(i));
        names.emplace_back(ti86::BuiltinName, "QI" + std::to_string(i));
        names.emplace_back(ti86::EquationName, "Q'" + std::to_string(i));
    }
    for (int i = 1; i <= 99; ++i)
        for (const char* prefix : {"y", "xt", "yt", "r"})
            names.emplace_back(ti86::EquationName, prefix + std::to_string(i));
    for (const char* n :
         {"Ans", "a",     "b",     "corr",  "maxX",  "maxY",   "Med", "minX", "minY",
          "n",   "PRegC", "Qrtl1", "Qrtl3", "RegEq", "Sx",     "Sy",  "σx",   "σy",
          "Σx",  "Σx²",   "Σxy",   "Σy",    "Σy²",   "tolMet", "x̄",   "ȳ"})
        names.emplace_back(ti86::StatName, n);
    return names;
}

std::string fontOf(const char* glyphs) {
    std::string font;
    if (!ti86FontFromUtf8(glyphs, font))
        throw std::logic_error(std::string("TI-86 token name not in the font: ") + glyphs);
    return font;
}

std::string textOf(std::string_view font) {
    std::string text;
    for (const char c : font) {
        std::uint8_t t = 0;
        if (!ti86FontToText(static_cast<std::uint8_t>(c), t))
            throw std::logic_error("TI-86 token name without a text form");
        text.push_back(static_cast<char>(t));
    }
    return text;
}

struct Tables {
    std::vector<Ti86TokenInfo> tokens;
    std::array<std::int16_t, 256> oneByte{};
    std::array<std::int16_t, 256> prefix3D{};
    std::array<std::int16_t, 256> prefix8E{};
    std::vector<Ti86BuiltinName> builtins;

    Tables() {
        oneByte.fill(-1), prefix3D.fill(-1), prefix8E.fill(-1);
        for (const Row& row : kRows) {
            const auto index = static_cast<std::int16_t>(tokens.size());
            tokens.push_back({row.code, row.glyphs, textOf(fontOf(row.glyphs)), row.spacing,
                              row.data, row.flags});
            const auto low = static_cast<std::uint8_t>(row.code & 0xFF);
            (row.code >> 8 == 0x3D   ? prefix3D
             : row.code >> 8 == 0x8E ? prefix8E
                                     : oneByte)[low] = index;
        }
        for (const auto& [code, glyphs] : builtinGlyphNames())
            builtins.push_back({code, fontOf(glyphs.c_str())});
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

} // namespace

const Ti86TokenInfo* ti86TokenInfo(std::uint16_t code) {
    const Tables& t = tables();
    const auto low = static_cast<std::uint8_t>(code & 0xFF);
    const int high = code >> 8;
    const std::int16_t index = high == 0      ? t.oneByte[low]
                               : high == 0x3D ? t.prefix3D[low]
                               : high == 0x8E ? t.prefix8E[low]
                                              : -1;
    return index < 0 ? nullptr : &t.tokens[static_cast<std::size_t>(index)];
}

const std::vector<Ti86TokenInfo>& ti86Tokens() {
    return tables().tokens;
}

const std::vector<Ti86BuiltinName>& ti86BuiltinNames() {
    return tables().builtins;
}

std::vector<Ti86Token> decodeTi86Tokens(std::string_view body, std::uint64_t offset,
                                        Diagnostics& diagnostics) {
    std::vector<Ti86Token> tokens;
    const std::size_t n = body.size();
    const auto byte = [&body](std::size_t i) { return static_cast<std::uint8_t>(body[i]); };
    // Font bytes up to a 00 (not included); false when the body ends first.
    const auto untilNul = [&](std::size_t& at, std::string& out) {
        const std::size_t end = body.find('\0', at);
        out.assign(body.substr(at, end == std::string_view::npos ? n - at : end - at));
        at = end == std::string_view::npos ? n : end + 1;
        return end != std::string_view::npos;
    };
    std::size_t at = 0;
    while (at < n) {
        Ti86Token token;
        const std::size_t start = at;
        token.offset = offset + start;
        std::uint16_t code = byte(at++);
        if ((code == 0x3D || code == 0x8E) && at < n)
            code = static_cast<std::uint16_t>(code << 8 | byte(at++));
        const Ti86TokenInfo* info = ti86TokenInfo(code);
        token.code = code;
        if (info == nullptr) {
            token.known = false;
            token.data.assign(body.substr(start, at - start));
        } else {
            switch (info->data) {
            case Ti86Inline::None:
                break;
            case Ti86Inline::String:
            case Ti86Inline::Number:
            case Ti86Inline::Label:
                token.terminated = untilNul(at, token.data);
                break;
            case Ti86Inline::Goto:
                if (n - at < 2) {
                    at = n;
                    token.terminated = false;
                    break;
                }
                token.gotoCache = static_cast<std::uint16_t>(byte(at) << 8 | byte(at + 1));
                at += 2;
                token.terminated = untilNul(at, token.data);
                break;
            case Ti86Inline::LengthName: {
                const bool hasLength = at < n;
                const std::size_t length = hasLength ? byte(at++) : 0;
                token.data.assign(body.substr(at, std::min(length, n - at)));
                token.terminated = hasLength && length <= n - at;
                at += token.data.size();
                break;
            }
            case Ti86Inline::FixedName: {
                const std::size_t length = code - std::size_t{ti86::BuiltinName};
                token.data.assign(body.substr(at, std::min(length, n - at)));
                token.terminated = length <= n - at;
                at += token.data.size();
                break;
            }
            case Ti86Inline::Conversion: {
                // Two names in the 33-3A form; anything else is no conversion
                // this reader knows, so the 3E stays a byte of its own.
                std::size_t probe = at;
                std::string units[2];
                bool whole = true;
                for (std::string& unit : units) {
                    if (probe >= n || byte(probe) < 0x33 || byte(probe) > 0x3A) {
                        whole = false;
                        break;
                    }
                    const std::size_t length = byte(probe++) - std::size_t{ti86::BuiltinName};
                    if (length > n - probe) {
                        whole = false;
                        break;
                    }
                    unit.assign(body.substr(probe, length));
                    probe += length;
                }
                if (!whole) {
                    token.known = false;
                    token.data.assign(body.substr(start, at - start));
                    break;
                }
                token.data = units[0] + units[1];
                token.toUnitAt = static_cast<std::uint16_t>(units[0].size()); // at most 7
                at = probe;
                break;
            }
            }
            if (!token.terminated)
                diagnostics.push_back(makeDiagnosticAt(DiagnosticId::Ti86TokenCut, token.offset,
                                                       {diagnosticHex(code, code > 0xFF ? 4 : 2)}));
        }
        token.size = static_cast<std::uint32_t>(at - start); // a token of a 64 KiB body
        tokens.push_back(std::move(token));
    }
    return tokens;
}

std::size_t ti86EncodedSize(const Ti86Token& token) {
    if (!token.known)
        return token.data.size();
    const Ti86Inline inline_ = ti86InlineOf(token.code);
    if (inline_ == Ti86Inline::FixedName)
        return 1 + token.data.size();
    std::size_t size = token.code > 0xFF ? 2 : 1;
    const std::size_t nul = token.terminated ? 1 : 0;
    switch (inline_) {
    case Ti86Inline::None:
    case Ti86Inline::FixedName:
        break;
    case Ti86Inline::String:
    case Ti86Inline::Number:
    case Ti86Inline::Label:
        size += token.data.size() + nul;
        break;
    case Ti86Inline::Goto:
        size += 2 + token.data.size() + nul;
        break;
    case Ti86Inline::LengthName:
        size += 1 + token.data.size();
        break;
    case Ti86Inline::Conversion:
        size += 2 + token.data.size();
        break;
    }
    return size;
}

std::string encodeTi86Tokens(const std::vector<Ti86Token>& tokens) {
    std::string out;
    for (const Ti86Token& token : tokens) {
        if (!token.known) {
            out += token.data;
            continue;
        }
        const Ti86TokenInfo* info = ti86TokenInfo(token.code);
        const auto inline_ = info != nullptr ? info->data : Ti86Inline::None;
        if (inline_ == Ti86Inline::FixedName) {
            // The code carries the length, whatever the token said.
            out.push_back(static_cast<char>(ti86::BuiltinName + token.data.size()));
            out += token.data;
            continue;
        }
        if (token.code > 0xFF)
            out.push_back(static_cast<char>(token.code >> 8));
        out.push_back(static_cast<char>(token.code & 0xFF));
        switch (inline_) {
        case Ti86Inline::None:
        case Ti86Inline::FixedName:
            break;
        case Ti86Inline::String:
        case Ti86Inline::Number:
        case Ti86Inline::Label:
            out += token.data;
            if (token.terminated)
                out.push_back('\0');
            break;
        case Ti86Inline::Goto:
            out.push_back(static_cast<char>(token.gotoCache >> 8));
            out.push_back(static_cast<char>(token.gotoCache & 0xFF));
            out += token.data;
            if (token.terminated)
                out.push_back('\0');
            break;
        case Ti86Inline::LengthName:
            out.push_back(static_cast<char>(token.data.size()));
            out += token.data;
            break;
        case Ti86Inline::Conversion:
            out.push_back(static_cast<char>(ti86::BuiltinName + token.fromUnit().size()));
            out += token.fromUnit();
            out.push_back(static_cast<char>(ti86::BuiltinName + token.toUnit().size()));
            out += token.toUnit();
            break;
        }
    }
    return out;
}

} // namespace kalvo::calc
