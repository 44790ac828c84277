// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti86/Ti86Font.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>

namespace kalvo::calc {

namespace {

// Glyphs of font bytes 00-1F and 80-DF; 20-7E are ASCII, 7F is another "=".
// Accented letters run A, E, I, O, U: capital acute, grave, circumflex,
// diaeresis, then the same in small letters. CD as a second superscript x is
// likely rather than sure: the TI-83 Plus font, which agrees with this one
// at 80-D6 elsewhere (θ apart), has ˣ there (its ˣ√ is CD 10), and plain-text
// programs hold CD 10 exactly where an x-th root makes sense of them.
constexpr std::array<const char*, 32> kSymbols = {
    "",  "ᵇ",  "ᵒ", "ᵈ", "ʰ", "▶", "↑", "↓", "∫", "ˣ", "A", "B", "C", "D", "E", "F",
    "√", "⁻¹", "²", "∠", "°", "ʳ", "ᵀ", "≤", "≠", "≥", "⁻", "ᴇ", "→", "⏨", "↑", "↓"};

constexpr std::array<const char*, 96> kHigh = {
    "₀", "₁", "₂", "₃", "₄", "₅", "₆", "₇", "₈", "₉", "Á", "À", "Â", "Ä", "á", "à",
    "â", "ä", "É", "È", "Ê", "Ë", "é", "è", "ê", "ë", "Í", "Ì", "Î", "Ï", "í", "ì",
    "î", "ï", "Ó", "Ò", "Ô", "Ö", "ó", "ò", "ô", "ö", "Ú", "Ù", "Û", "Ü", "ú", "ù",
    "û", "ü", "Ç", "ç", "Ñ", "ñ", "´", "`", "¨", "¿", "¡", "α", "β", "γ", "Δ", "δ",
    "ε", "θ", "λ", "μ", "π", "ρ", "Σ", "σ", "τ", "φ", "Ω", "x̄", "ȳ", "ˣ", "…", "◀",
    "■", "",  "−", "²", "°", "³", "",  "",  "",  "",  "",  "",  "",  "",  "",  ""};

const std::array<std::string, 256>& glyphs() {
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> t;
        for (int b = 0; b < 32; ++b)
            t[b] = kSymbols[b];
        for (int b = 0x20; b < 0x7F; ++b)
            t[b] = std::string(1, static_cast<char>(b));
        t[0x7F] = "=";
        for (int b = 0x80; b < 0xE0; ++b)
            t[b] = kHigh[b - 0x80];
        return t;
    }();
    return table;
}

} // namespace

std::string_view ti86Glyph(std::uint8_t fontByte) {
    return glyphs()[fontByte];
}

std::string ti86NameToUtf8(std::string_view fontBytes) {
    std::string out;
    for (const char c : fontBytes) {
        const auto b = static_cast<std::uint8_t>(c);
        const std::string_view glyph = ti86Glyph(b);
        if (glyph.empty()) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", b);
            out += escape;
        } else {
            out += glyph;
        }
    }
    return out;
}

bool ti86FontToText(std::uint8_t fontByte, std::uint8_t& textByte) {
    if (fontByte == 0 || fontByte >= 0xD8)
        return false;
    textByte = fontByte < 0x20 ? static_cast<std::uint8_t>(fontByte + 0xE0) : fontByte;
    return true;
}

bool ti86FontFromUtf8(std::string_view utf8, std::string& fontBytes) {
    static const std::unordered_map<std::string, std::uint8_t> byGlyph = [] {
        std::unordered_map<std::string, std::uint8_t> m;
        // ASCII first, then the symbols: "A" is 41 rather than the hex digit
        // 0A, "²" the symbol 12 rather than D3.
        const auto add = [&m](int from, int to) {
            for (int b = from; b < to; ++b)
                if (!glyphs()[b].empty())
                    m.emplace(glyphs()[b], static_cast<std::uint8_t>(b));
        };
        add(0x20, 0x7F);
        add(0x00, 0x20);
        add(0x7F, 0x100);
        return m;
    }();
    fontBytes.clear();
    std::size_t at = 0;
    while (at < utf8.size()) {
        bool found = false;
        // Longest glyph first: "⁻¹" is one font byte, "⁻" another.
        for (std::size_t len = std::min<std::size_t>(8, utf8.size() - at); len > 0; --len) {
            const auto hit = byGlyph.find(std::string(utf8.substr(at, len)));
            if (hit != byGlyph.end()) {
                fontBytes.push_back(static_cast<char>(hit->second));
                at += len;
                found = true;
                break;
            }
        }
        if (!found)
            return false;
    }
    return true;
}

} // namespace kalvo::calc
