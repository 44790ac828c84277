// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/TextBox.h"

#include <string>
#include <string_view>
#include <vector>

namespace kalvo {

// True for a row whose replace text holds its own find text after the first
// character ("Dec" -> "\xE5" "Dec"). Scanning such a row resumes right after
// each inserted text; otherwise it would match its own insertion for ever.
bool insertsOwnFindText(std::string_view find, std::string_view replace);

// One row's scan, step by step through the box's caret and selection, as the
// window's Convert button has always done it. Expects the whole document
// selected. The texts are read from `find` and `replace` at every use, so
// callers may pass the strings the run keeps them in.
void scanRow(TextBox& box, const std::string& find, const std::string& replace);

// The same row applied to a plain string in one left-to-right pass: the bytes
// scanRow() leaves behind, in time linear in the document. Returns false,
// leaving `out` alone, when the row finds nothing to change; otherwise `out`
// receives the converted document. `out` must not alias `in`. `find` must not
// be empty; `replace` may be (no table row has an empty one, but both paths
// agree on it).
bool convertRow(std::string_view in, std::string& out, std::string_view find,
                std::string_view replace);

// One row applied to a document that arrives in pieces: the bytes
// convertRow() gives, without holding the whole document. Rows chained this
// way let each piece pass through all 81 rows while it is in the cache.
// A row that has replaced something holds back the text after its latest
// replacement until the next one or the end of the document: only then is
// it known whether the closing comparison applies there.
class RowStream {
public:
    // Keeps views of both texts; they must outlive the stream.
    RowStream(std::string_view find, std::string_view replace);

    // `input` is the row's input not consumed yet; `end` says whether it
    // runs to the end of the document. Appends the bytes that are settled
    // to `out` and returns how many bytes of `input` were consumed: the
    // caller keeps the rest in front of the next piece. With `end`, all of
    // it is consumed and everything is passed on.
    std::size_t run(std::string_view input, bool end, std::string& out);

private:
    enum class Spelling { Yes, No, NeedMore };
    enum class Match { Replaced, None, NeedMore };
    std::size_t consume(std::size_t at);
    void takePassedBytes(std::string_view input, std::size_t& at);
    Match matchInPending(std::string_view input, std::size_t& at, bool end, std::string& out);
    bool matchInInput(std::string_view input, std::size_t& at, std::string& out);
    void settlePiece(std::string_view input, std::size_t& at, bool mayBeFindText, std::string& out);
    void finishDocument(std::string_view input, std::size_t at, std::string& out);
    Spelling spellsAt(std::size_t j, std::string_view input, std::size_t at, bool end) const;
    void replaceAt(std::size_t j, std::size_t& at);
    void startedAt(std::size_t j, std::string& out);
    void passOnPending(std::string& out);

    std::string_view find_;
    std::string_view replace_;
    bool resume_;
    std::string pending_;
    // Text after pending_ that waits for the end or the next occurrence.
    std::vector<std::string> held_;
    std::size_t heldSize_ = 0;
    bool hasLast_ = false;
    std::size_t next_ = 1; // the whole document is selected: start at the second byte
    std::size_t consumed_ = 0;
};

} // namespace kalvo
