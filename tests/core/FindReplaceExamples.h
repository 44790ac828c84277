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
    // true: the dialog was just opened, so the whole document is selected;
    // otherwise the caret and selection below.
    bool justOpened;
    Pos selStart;
    Pos selLength;
    std::string find;
    std::string replacement;
    std::vector<Press> presses;
};

inline std::vector<FindReplaceExample> findReplaceExamples() {
    using enum Button;
    return {
        {"BananaOverFourFindNext",
         "banana",
         true,
         0,
         0,
         "an",
         "",
         {{FindNext, "banana", 1, 2, false},
          {FindNext, "banana", 3, 2, false},
          {FindNext, "banana", 0, 6, true},
          {FindNext, "banana", 1, 2, false}}},
        {"OverlappingOccurrencesFromTheStart",
         "aaa",
         false,
         0,
         0,
         "aa",
         "",
         {{FindNext, "aaa", 0, 2, false},
          {FindNext, "aaa", 1, 2, false},
          {FindNext, "aaa", 0, 3, true},
          {FindNext, "aaa", 1, 2, false}}},
        {"OccurrenceAtTheCaretIsPassedOver",
         "abcabc",
         false,
         3,
         0,
         "abc",
         "",
         {{FindNext, "abcabc", 0, 6, true}}},
        {"FindNextIsCaseSensitive",
         "Disp",
         false,
         0,
         0,
         "disp",
         "",
         {{FindNext, "Disp", 0, 4, true}}},
        {"ReplaceLeavesASelectionDifferingInCase",
         "Disp",
         false,
         0,
         4,
         "disp",
         "x",
         {{Replace, "Disp", 0, 4, true}}},
        {"CatHatCatOverFourReplace",
         "cat hat cat",
         true,
         0,
         0,
         "cat",
         "dog",
         {{Replace, "cat hat cat", 0, 3, false},
          {Replace, "dog hat cat", 8, 3, false},
          {Replace, "dog hat dog", 0, 11, true},
          {Replace, "dog hat dog", 0, 11, true}}},
        {"EmptyReplacementDeletes", "xax", false, 1, 1, "a", "", {{Replace, "xx", 0, 2, true}}},
        {"ReplaceFindsTheOccurrenceJustBeforeTheCaret",
         "ab",
         false,
         1,
         0,
         "a",
         "z",
         {{Replace, "ab", 0, 1, false}}},
        {"ReplacementContainingTheFindTextGrows",
         "a",
         false,
         0,
         1,
         "a",
         "aa",
         {{Replace, "aa", 1, 1, false},
          {Replace, "aaa", 2, 1, false},
          {Replace, "aaaa", 3, 1, false}}},
        {"WholeDocumentEqualToTheFindTextIsReplaced",
         "cat",
         true,
         0,
         0,
         "cat",
         "dog",
         {{Replace, "dog", 0, 3, true}}},
        {"EmptyDocument",
         "",
         true,
         0,
         0,
         "a",
         "",
         {{FindNext, "", 0, 0, true}, {Replace, "", 0, 0, true}}},
        {"LineBreaksCountTwoPositions",
         "a\r\nb\r\nb",
         false,
         0,
         0,
         "b",
         "c",
         {{FindNext, "a\r\nb\r\nb", 3, 1, false},
          {Replace, "a\r\nc\r\nb", 6, 1, false},
          {Replace, "a\r\nc\r\nc", 0, 7, true}}},
    };
}

} // namespace kalvo::testing
