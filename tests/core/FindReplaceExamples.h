// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Worked find and replace cases, for the steps and for the real dialog.

#include "document/TextBox.h"

#include <string>
#include <vector>

namespace kalvo::testing {

enum class Button { FindNext, Replace };

// A button press and the main box afterwards; notFound: the message was shown.
struct Press {
    Button button;
    std::string text;
    Pos selStart, selLength;
    bool notFound;
};

// The caret and selection before; a negative start: the dialog was just opened.
struct FindReplaceExample {
    const char* name;
    std::string document;
    Pos selStart, selLength;
    std::string find, replacement;
    std::vector<Press> presses;
};

inline std::vector<FindReplaceExample> findReplaceExamples() {
    constexpr Button F = Button::FindNext, R = Button::Replace;
    constexpr bool msg = true, ok = false;
    // clang-format off
    return {
        {"BananaOverFourFindNext", "banana", -1, 0, "an", "", {{F, "banana", 1, 2, ok},
            {F, "banana", 3, 2, ok}, {F, "banana", 0, 6, msg}, {F, "banana", 1, 2, ok}}},
        {"OverlappingFromTheStart", "aaa", 0, 0, "aa", "", {{F, "aaa", 0, 2, ok},
            {F, "aaa", 1, 2, ok}, {F, "aaa", 0, 3, msg}, {F, "aaa", 1, 2, ok}}},
        {"OccurrenceAtTheCaretIsPassedOver", "abcabc", 3, 0, "abc", "", {{F, "abcabc", 0, 6, msg}}},
        {"Case", "Disp", 0, 0, "disp", "x", {{F, "Disp", 0, 4, msg}, {R, "Disp", 0, 4, msg}}},
        {"CatHatCatOverFourReplace", "cat hat cat", -1, 0, "cat", "dog",
            {{R, "cat hat cat", 0, 3, ok}, {R, "dog hat cat", 8, 3, ok},
             {R, "dog hat dog", 0, 11, msg}, {R, "dog hat dog", 0, 11, msg}}},
        {"EmptyReplacementDeletes", "xax", 1, 1, "a", "", {{R, "xx", 0, 2, msg}}},
        {"ReplaceFindsOneBeforeTheCaret", "ab", 1, 0, "a", "z", {{R, "ab", 0, 1, ok}}},
        {"ReplacementContainingTheFindTextGrows", "a", 0, 1, "a", "aa",
            {{R, "aa", 1, 1, ok}, {R, "aaa", 2, 1, ok}, {R, "aaaa", 3, 1, ok}}},
        {"WholeDocumentIsTheFindText", "cat", -1, 0, "cat", "dog", {{R, "dog", 0, 3, msg}}},
        {"EmptyDocument", "", -1, 0, "a", "", {{F, "", 0, 0, msg}, {R, "", 0, 0, msg}}},
        {"LineBreaksCountTwo", "a\r\nb\r\nb", 0, 0, "b", "c", {{F, "a\r\nb\r\nb", 3, 1, ok},
            {R, "a\r\nc\r\nb", 6, 1, ok}, {R, "a\r\nc\r\nc", 0, 7, msg}}},
    };
    // clang-format on
}

} // namespace kalvo::testing
