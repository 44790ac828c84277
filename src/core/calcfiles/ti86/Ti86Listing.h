// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"
#include "calcfiles/ti86/Ti86File.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"
#include "calcfiles/ti86/Ti86Tokens.h"

#include <string>
#include <string_view>
#include <vector>

// The `ti86` text of a program, as TI's link software showed it: Windows-1252
// bytes, one program line per text line, each beginning with ":", CR LF after
// each. Font symbols 01-1F are written E1-FF ("å" for ▶, "ñ" for ⁻¹), font
// bytes 20-D7 as themselves; anything else (an unknown code, a font byte
// without a text form) as \xHH with a warning, and a backslash as \\.
//
// Ti86Tokenizer reads that text back into tokens, with the same table, so
// that tokenizing a listing gives the program's bytes again.
namespace kalvo::calc {

struct Ti86Listing {
    std::string text;
    std::vector<Ti86Token> tokens; // a tokenized program's tokens, with their line and column
    Diagnostics diagnostics;       // the program's faults; an error when there is no listing

    bool listed() const {
        for (const Diagnostic& d : diagnostics)
            if (d.severity == Diagnostic::Severity::Error)
                return false;
        return true;
    }
};

// Tokens as text; each token gets the line and column where its text starts.
Ti86Listing listTi86Tokens(std::vector<Ti86Token> tokens);

// A plain-text program (font bytes, D6 ending lines) as text. `offset` is
// the file offset of fontText[0], for the warnings.
Ti86Listing listTi86PlainText(std::string_view fontText, std::uint64_t offset = 0);

// A program entry of any form as text. Assembly programs are refused with an
// error; a damaged program is listed as far as it goes, with warnings.
Ti86Listing listTi86Program(const Ti86Entry& program);

} // namespace kalvo::calc
