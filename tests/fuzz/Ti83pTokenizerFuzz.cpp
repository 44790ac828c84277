// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes as ti83p text. Tokenizing never fails hard, gives
// every token its place, and the listing of the tokens reads back as them.
#include "FuzzRequire.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

std::vector<std::uint16_t> codesOf(const std::vector<kalvo::calc::Ti83pToken>& tokens) {
    std::vector<std::uint16_t> codes;
    for (const auto& token : tokens)
        codes.push_back(token.code);
    return codes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalvo::calc;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Ti83pTokenized tokenized = tokenizeTi83pText(text);
    std::uint64_t offset = kTi83pFirstTokenOffset;
    bool lonePrefixInside = false;
    for (std::size_t i = 0; i < tokenized.tokens.size(); ++i) {
        const Ti83pToken& token = tokenized.tokens[i];
        require(token.offset == offset, "token offsets are not consecutive");
        require(token.line >= 1 && token.column >= 1 && token.column <= size + 1,
                "a token without its place in the text");
        offset += ti83pTokenSize(token.code);
        lonePrefixInside |= token.code <= 0xFF &&
                            isTi83pPrefix(static_cast<std::uint8_t>(token.code)) &&
                            i + 1 < tokenized.tokens.size();
    }
    for (const Diagnostic& d : tokenized.diagnostics)
        require(d.line >= 1 && d.column >= 1 && d.severity == Diagnostic::Severity::Warning,
                "a finding without its line and column");

    // A prefix standing alone before an escape cannot be told apart from a
    // two-byte token in any text; such programs only come from escapes.
    const Ti83pListing listing = listTi83pTokens(tokenized.tokens);
    const auto back = tokenizeTi83pText(listing.text).tokens;
    require(lonePrefixInside || codesOf(back) == codesOf(tokenized.tokens),
            "the listing reads back differently");
    require(lonePrefixInside || listTi83pTokens(back).text == listing.text,
            "listing what was read back changes the listing");

    const Ti83pFileBytes written = buildTi83pFile(tokenized.tokens, "FUZZ");
    if (written.written())
        require(codesOf(readTi83pFile(written.bytes).tokens) == codesOf(tokenized.tokens),
                "the written file reads differently");
    return 0;
}
