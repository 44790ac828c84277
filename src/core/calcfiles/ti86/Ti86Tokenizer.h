// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"
#include "calcfiles/ti86/Ti86Tokens.h"

#include <memory>
#include <string_view>
#include <vector>

// The `ti86` text of a program (see Ti86Listing.h) read back into tokens,
// with the same table the listing writes from, so that tokenizing a listing
// gives the program's bytes again.
namespace kalvo::calc {

struct Ti86Tokenized {
    std::vector<Ti86Token> tokens; // with line and column; offsets count the encoded bytes
    Diagnostics diagnostics;       // each with its line and column
};

// `ti86` text as tokens. Lines may end in CR LF or LF; one ":" at the start
// of a line is the line's mark, not a token. Spaces outside strings and
// labels only separate tokens. A byte that begins no TI-86 token becomes a
// token with known == false holding its font byte, as "\xHH" does; the
// caller shows it and warns where it does so.
Ti86Tokenized tokenizeTi86Text(std::string_view text);

// The same into `into`, replacing what it held but keeping its room: for
// reading a long text a piece at a time.
void tokenizeTi86Text(std::string_view text, Ti86Tokenized& into);

// The tokens of a text a few at a time, for reading one too large to hold
// as tokens at once (a long line, too): the same tokens and diagnostics as
// tokenizeTi86Text, their lines and columns in the whole text.
class Ti86TokenStream {
public:
    explicit Ti86TokenStream(std::string_view text); // kept by reference
    ~Ti86TokenStream();
    Ti86TokenStream(const Ti86TokenStream&) = delete;
    Ti86TokenStream& operator=(const Ti86TokenStream&) = delete;

    // Appends tokens (and diagnostics) to `into` until into.tokens holds
    // `limit` of them or the text ends; whether any are left.
    bool read(Ti86Tokenized& into, std::size_t limit);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace kalvo::calc
