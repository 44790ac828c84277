// SPDX-License-Identifier: GPL-3.0-or-later
#include "findreplace/FindReplaceSteps.h"

#include <algorithm>

namespace kalvo {

namespace {

Pos lengthOf(std::string_view text) {
    // A longer find text cannot occur in a document, so it is never selected.
    return static_cast<Pos>(std::min<std::size_t>(text.size(), kMaxDocumentLength));
}

Pos search(const TextBox& box, std::int64_t start, SearchText findText) {
    return findText ? box.find(start, *findText) : 0;
}

void select(TextBox& box, Pos position, std::string_view findText) {
    box.SetSelStart(position - 1);
    box.SetSelLength(lengthOf(findText));
}

// The failure path shared by both buttons: the message first, then the whole
// document selected in the focused main box.
void reportNotFound(TextBox& box, FindReplaceView& view) {
    view.showNotFound();
    focusAndSelectAll(box);
}

} // namespace

void findTextChanged(bool findTextEmpty, FindReplaceView& view) {
    view.setFindNextEnabled(!findTextEmpty);
    view.setReplaceEnabled(!findTextEmpty);
}

std::int64_t findNextSearchStart(Pos selStart, Pos selLength) {
    if (selStart == 0 && selLength == 0)
        return 1;
    return std::int64_t{selStart} + 2;
}

std::int64_t replaceSearchStart(Pos selStart, Pos selLength) {
    if (selStart == 0 && selLength == 0)
        return 1;
    return std::max<std::int64_t>(selStart, 1);
}

void findNextSteps(TextBox& txtwordproc, SearchText findText, FindReplaceView& view) {
    const Pos s = txtwordproc.SelStart();
    const Pos l = txtwordproc.SelLength();
    const Pos p = search(txtwordproc, findNextSearchStart(s, l), findText);
    if (p >= 1)
        select(txtwordproc, p, *findText);
    else
        reportNotFound(txtwordproc, view);
    txtwordproc.SetFocus();
}

void replaceSteps(TextBox& txtwordproc, SearchText findText, std::string_view replacement,
                  FindReplaceView& view) {
    // The length check spares copying a large selection (the whole document
    // right after the dialog opens) that cannot be equal anyway.
    if (findText && txtwordproc.SelLength() == lengthOf(*findText) &&
        txtwordproc.SelText() == *findText)
        txtwordproc.SetSelText(replacement);

    const Pos s = txtwordproc.SelStart();
    const Pos l = txtwordproc.SelLength();
    const Pos p = search(txtwordproc, replaceSearchStart(s, l), findText);
    if (p >= 1)
        select(txtwordproc, p, *findText);
    else
        reportNotFound(txtwordproc, view);
}

void cancelSteps(TextBox& txtwordproc, FindReplaceView& view) {
    txtwordproc.SetFocus();
    txtwordproc.SetSelStart(0);
    txtwordproc.SetSelLength(0);
    view.unload();
}

} // namespace kalvo
