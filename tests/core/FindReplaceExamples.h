#pragma once

// The worked find and replace cases, shared by the step tests on the plain
// buffer and the tests that press the real dialog's buttons.

#include "editor/TextBox.h"

#include <string>
#include <vector>

namespace kalvo::testing {

enum class Button { FindNext, Replace };

// One button press and the main box as it must be afterwards.
struct Press {
    Button button;
    std::string text;
    Pos selStart;
    Pos selLength;
    bool notFound; // the failure message was shown during this press
};

struct FindReplaceExample {
    const char* name;
    std::string document;
    // Caret and selection before the first press; a negative start means the
    // dialog was just opened, which selects the whole document.
    Pos selStart;
    Pos selLength;
    std::string find;
    std::string replacement;
    std::vector<Press> presses;
};

inline std::vector<FindReplaceExample> findReplaceExamples() {
    constexpr Button F = Button::FindNext;
    constexpr Button R = Button::Replace;
    constexpr bool msg = true;
    constexpr bool ok = false;
    constexpr Pos opened = -1;
    // clang-format off
    return {
        {"BananaOverFourFindNext", "banana", opened, 0, "an", "",
         {{F, "banana", 1, 2, ok}, {F, "banana", 3, 2, ok}, {F, "banana", 0, 6, msg},
          {F, "banana", 1, 2, ok}}},
        {"OverlappingOccurrencesFromTheStart", "aaa", 0, 0, "aa", "",
         {{F, "aaa", 0, 2, ok}, {F, "aaa", 1, 2, ok}, {F, "aaa", 0, 3, msg}, {F, "aaa", 1, 2, ok}}},
        {"OccurrenceAtTheCaretIsPassedOver", "abcabc", 3, 0, "abc", "",
         {{F, "abcabc", 0, 6, msg}}},
        {"FindNextIsCaseSensitive", "Disp", 0, 0, "disp", "", {{F, "Disp", 0, 4, msg}}},
        {"ReplaceLeavesASelectionDifferingInCase", "Disp", 0, 4, "disp", "x",
         {{R, "Disp", 0, 4, msg}}},
        {"CatHatCatOverFourReplace", "cat hat cat", opened, 0, "cat", "dog",
         {{R, "cat hat cat", 0, 3, ok}, {R, "dog hat cat", 8, 3, ok},
          {R, "dog hat dog", 0, 11, msg}, {R, "dog hat dog", 0, 11, msg}}},
        {"EmptyReplacementDeletes", "xax", 1, 1, "a", "", {{R, "xx", 0, 2, msg}}},
        {"ReplaceFindsTheOccurrenceJustBeforeTheCaret", "ab", 1, 0, "a", "z",
         {{R, "ab", 0, 1, ok}}},
        {"ReplacementContainingTheFindTextGrows", "a", 0, 1, "a", "aa",
         {{R, "aa", 1, 1, ok}, {R, "aaa", 2, 1, ok}, {R, "aaaa", 3, 1, ok}}},
        {"WholeDocumentEqualToTheFindTextIsReplaced", "cat", opened, 0, "cat", "dog",
         {{R, "dog", 0, 3, msg}}},
        {"EmptyDocument", "", opened, 0, "a", "", {{F, "", 0, 0, msg}, {R, "", 0, 0, msg}}},
        {"LineBreaksCountTwoPositions", "a\r\nb\r\nb", 0, 0, "b", "c",
         {{F, "a\r\nb\r\nb", 3, 1, ok}, {R, "a\r\nc\r\nb", 6, 1, ok},
          {R, "a\r\nc\r\nc", 0, 7, msg}}},
    };
    // clang-format on
}

} // namespace kalvo::testing
