// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti83p/Ti83pTokens.h"

#include "calcfiles/diagnostics/Catalogue.h"

#include <algorithm>
#include <cstdio>

namespace kalvo::calc {

namespace {

// The token list is written from the facts of the public token sheet (TI-Toolkit/tokens,
// 8X.xml): code, font bytes, ASCII ("accessible") name, for every token the
// TI-83 Plus has in OS 1.19. Where a token changed between models the
// TI-83 Plus form is the one here (int( rather than "int ", PlotStart rather
// than 𝑛Min at 631B). Two slips of the sheet are put right from its display
// names: the font bytes of Y₂-Y₆ (5E11-5E15) are one subscript off there,
// and those of uwAxes (7E12) spell "SinReg ".
constexpr Ti83pTokenInfo kTokens[] = {
#define TI83P_TOKEN(code, name, font, ascii) {code, font, ascii},
#include "calcfiles/ti83p/Ti83pTokens.def"
#undef TI83P_TOKEN
};

} // namespace

std::span<const Ti83pTokenInfo> ti83pTokens() {
    return kTokens;
}

const Ti83pTokenInfo* ti83pTokenInfo(std::uint16_t code) {
    const auto found = std::lower_bound(
        std::begin(kTokens), std::end(kTokens), code,
        [](const Ti83pTokenInfo& token, std::uint16_t c) { return token.code < c; });
    return found != std::end(kTokens) && found->code == code ? found : nullptr;
}

bool isTi83pPrefix(std::uint8_t byte) {
    switch (byte) {
    case 0x5C:
    case 0x5D:
    case 0x5E:
    case 0x60:
    case 0x61:
    case 0x62:
    case 0x63:
    case 0x7E:
    case 0xAA:
    case 0xBB:
    case 0xEF:
        return true;
    default:
        return false;
    }
}

std::uint8_t ti83pVersionFor(std::uint16_t code) {
    if ((code >> 8) == 0xEF)
        return 3;
    if ((code >> 8) != 0xBB)
        return 0;
    const unsigned second = code & 0xFF;
    if (second < 0x68)
        return 0;
    if (second < 0xCF)
        return 1;
    return second <= 0xDA ? 2 : 3;
}

std::optional<std::string> ti83pFontToText(std::string_view font) {
    std::string text;
    text.reserve(font.size());
    for (const char c : font) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x05 && byte <= 0x09) || (byte >= 0x10 && byte <= 0x1F))
            text += static_cast<char>(byte + 0xE0);
        else if (byte == 0x5B)
            text += '\xC1';
        else if (byte == 0xC1)
            text += '[';
        else if ((byte >= 0x20 && byte <= 0x7E) || (byte >= 0x81 && byte <= 0xD5))
            text += c;
        else
            return std::nullopt;
    }
    return text;
}

std::vector<Ti83pToken> decodeTi83pTokens(std::string_view bytes, std::uint64_t offset,
                                          Diagnostics& diagnostics) {
    std::vector<Ti83pToken> tokens;
    tokens.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        Ti83pToken token;
        token.offset = offset + i;
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        if (isTi83pPrefix(first) && i + 1 == bytes.size()) {
            token.code = first;
            diagnostics.push_back(makeDiagnosticAt(DiagnosticId::Ti83pTokenCut, token.offset,
                                                   {diagnosticHex(first)}));
            i += 1;
        } else {
            token.code = isTi83pPrefix(first)
                             ? static_cast<std::uint16_t>(first << 8 |
                                                          static_cast<std::uint8_t>(bytes[i + 1]))
                             : first;
            if (!ti83pTokenInfo(token.code)) {
                diagnostics.push_back(
                    makeDiagnosticAt(DiagnosticId::Ti83pNoToken, token.offset,
                                     {diagnosticHex(token.code, token.code > 0xFF ? 4 : 2)}));
            }
            i += ti83pTokenSize(token.code);
        }
        tokens.push_back(token);
    }
    return tokens;
}

std::string encodeTi83pTokens(const std::vector<Ti83pToken>& tokens) {
    std::string bytes;
    bytes.reserve(tokens.size() * 2);
    for (const Ti83pToken& token : tokens) {
        if (token.code > 0xFF)
            bytes += static_cast<char>(token.code >> 8);
        bytes += static_cast<char>(token.code & 0xFF);
    }
    return bytes;
}

} // namespace kalvo::calc
