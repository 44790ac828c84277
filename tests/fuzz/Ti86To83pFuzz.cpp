// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the translator: whatever TI-86 tokens the bytes decode to
// (and whatever program text they tokenize to), the translation is tokens
// the TI-83 Plus knows, which a .8xp file holds and reads back as they are,
// unless there are more of them than a program may have.
#include "FuzzRequire.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/ti86/Ti86Tokens.h"
#include "calcfiles/translate/Ti86To83p.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(const std::vector<kalvo::calc::Ti86Token>& tokens) {
    using namespace kalvo::calc;
    // Line and column as the listing gives them, as the command line does.
    const std::vector<Ti86Token> listed = listTi86Tokens(tokens).tokens;
    const Ti83pTranslation one = translateTi86Program(listed, "FUZZ", {{"SUB", "SUB"}});
    const std::vector<Ti83pTranslation> group =
        translateTi86Group({{"FUZZ", listed}, {"SUB", listed}});
    require(group.size() == 2, "a program lost in the group");
    for (const Ti83pTranslation* t : {&one, &group[0], &group[1]}) {
        for (const Ti83pToken& token : t->tokens)
            require(ti83pTokenInfo(token.code) != nullptr, "a token the TI-83 Plus lacks");
        const Ti83pFileBytes file = buildTi83pFile(t->tokens, t->name);
        if (!file.written())
            continue; // too long for one program
        const Ti83pFile back = readTi83pFile(file.bytes);
        require(back.diagnostics.empty(), "the file does not read back cleanly");
        require(back.tokens.size() == t->tokens.size(), "tokens lost in the file");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalvo::calc;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Diagnostics faults;
    check(decodeTi86Tokens(bytes, 0, faults));
    check(tokenizeTi86Text(bytes).tokens);
    return 0;
}
