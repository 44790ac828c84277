// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/program/Syntax.h"
#include "calcfiles/ti86/Ti86Tokens.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The structure of a TI-86 statement that the report and the translator
// both read, so that they read it the same way: where a statement ends, the
// arguments of a call, and the facts drawn from them (screen coordinates
// written out as numbers).
namespace kalvo::calc {

// Token indexes [first, last) of one argument.
struct TokenRange {
    std::size_t first = 0;
    std::size_t last = 0;

    bool single() const { return last == first + 1; }
    bool operator==(const TokenRange&) const = default;
};

bool endsTi86Statement(const Ti86Token& t); // : or a line end

// The arguments of the call named by tokens[head] (the token before its
// "("), as the program's tree reads them: up to its ")" or the end of the
// statement, split at the commas outside brackets. None for "()", nor for
// "(" at the end of a statement; an argument left out between commas is
// an empty range. None when no call is named there.
std::vector<TokenRange> callArguments(const Ti86Syntax& syntax, std::size_t head);

// A number written in digits alone (no base, point or exponent) of up to six
// digits, or -1.
long ti86WholeNumber(const Ti86Token& t);

// The screens a program is checked against: the home screen's rows and
// columns from 1, the graph screen's last row and column from 0.
struct ScreenSize {
    long homeRows = 8;
    long homeColumns = 16;
    long graphRows = 62;
    long graphColumns = 94;
    std::string_view name = "TI-83 Plus"; // the calculator, as messages name it
};

// A screen coordinate written out as a number that the screen does not
// have.
struct OffScreen {
    std::size_t token = 0; // the number's index
    long value = 0;
    bool row = false;  // the first argument; else the column
    bool home = false; // Output('s home screen; else the graph screen, in pixels
    long low = 0;      // the screen's range
    long high = 0;
    std::string_view screen; // the calculator's name
};

// For the command at tokens[command] that takes screen coordinates
// (ti86flag::HomeCoordinates or GraphCoordinates): each of its first two
// arguments that is a number alone and off the screen (on the TI-83 Plus
// home rows 1-8 and columns 1-16, graph rows 0-62 and columns 0-94). A
// coordinate the program computes is not checked.
std::vector<OffScreen> offScreenCoordinates(const Ti86Syntax& syntax, std::size_t command,
                                            const ScreenSize& screen = {});

// "pixel row 63 is off the TI-83 Plus graph screen (rows 0-62)", and its
// parts: "pixel row 63", "rows 0-62".
std::string offScreenMessage(const OffScreen& off);
std::string offScreenWhat(const OffScreen& off);
std::string offScreenRange(const OffScreen& off);

} // namespace kalvo::calc
