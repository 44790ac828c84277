// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes as a .8xp file. Reading never fails hard, every
// token lies inside the file, and what was read lists, tokenizes, writes
// and reads back as the same tokens.
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
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Ti83pFile file = readTi83pFile(bytes);
    std::uint64_t next = 0;
    for (const Ti83pToken& token : file.tokens) {
        require(token.offset >= next && token.offset + ti83pTokenSize(token.code) <= size,
                "a token outside the file or out of order");
        require(token.line >= 1 && token.column >= 2, "a token without its place in the listing");
        next = token.offset + ti83pTokenSize(token.code);
    }
    require(file.readable() || file.tokens.empty(), "tokens from a file that could not be read");

    // A prefix cut off by the end can only be the last token, so the
    // listing always reads back.
    const Ti83pListing listing = listTi83pTokens(file.tokens);
    const Ti83pTokenized back = tokenizeTi83pText(listing.text);
    require(codesOf(back.tokens) == codesOf(file.tokens), "the listing reads back differently");

    // An old 0B entry holds two token bytes more than a 0D one.
    const Ti83pFileBytes written = buildTi83pFile(file.tokens, "FUZZ");
    require(written.written() || encodeTi83pTokens(file.tokens).size() > kTi83pMaxFileTokenBytes,
            "a program read from a file cannot be written");
    if (!written.written())
        return 0;
    const Ti83pFile again = readTi83pFile(written.bytes);
    require(codesOf(again.tokens) == codesOf(file.tokens), "the written file reads differently");
    for (const Diagnostic& d : again.diagnostics)
        require(d.severity != Diagnostic::Severity::Error, "Kalvo's own file is refused");
    return 0;
}
