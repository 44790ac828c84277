// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/TextBox.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kalvo {

// What the find and replace steps need from the Replace dialog besides the
// main box: its two action buttons, its failure message and its unloading.
class FindReplaceView {
public:
    virtual ~FindReplaceView() = default;
    virtual void setFindNextEnabled(bool enabled) = 0;
    virtual void setReplaceEnabled(bool enabled) = 0;
    // The modal "Can't find '...'!" box for the current find text; returns
    // when the user has closed it.
    virtual void showNotFound() = 0;
    // Destroys the dialog with its controls.
    virtual void unload() = 0;
};

// The find text as the search sees it: Windows-1252 bytes, or nothing when
// the text the user typed holds a character that no document can hold, so it
// occurs nowhere.
using SearchText = std::optional<std::string_view>;

inline constexpr std::string_view kNotFoundPrefix = "Can't find '";
inline constexpr std::string_view kNotFoundSuffix = "'!";

// txtFind_Change: both action buttons are enabled exactly while the find
// text is not empty.
void findTextChanged(bool findTextEmpty, FindReplaceView& view);

// Where each button's search begins (1-based): Find Next one character past
// the caret, so a selected occurrence is left by its second character;
// Replace at the caret itself, so a match may begin just before it. Both
// start at 1 when the caret is at 0 with nothing selected. 64-bit because
// the caret can be the last 32-bit offset.
std::int64_t findNextSearchStart(Pos selStart, Pos selLength);
std::int64_t replaceSearchStart(Pos selStart, Pos selLength);

// cmdFindNext_Click: select the next occurrence, or report the failure and
// select the whole document; the main box has the focus afterwards.
void findNextSteps(TextBox& txtwordproc, SearchText findText, FindReplaceView& view);

// cmdReplace_Click: replace the selection when it is exactly the find text,
// then select the next occurrence (focus untouched) or report the failure,
// focus the main box and select the whole document.
void replaceSteps(TextBox& txtwordproc, SearchText findText, std::string_view replacement,
                  FindReplaceView& view);

// cmdCancel_Click: caret to the start of the document with nothing selected,
// focus in the main box, then unload the dialog.
void cancelSteps(TextBox& txtwordproc, FindReplaceView& view);

} // namespace kalvo
