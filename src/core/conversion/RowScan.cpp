// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/RowScan.h"

#include <algorithm>

namespace kalvo {

bool insertsOwnFindText(std::string_view find, std::string_view replace) {
    return replace.size() > 1 && replace.find(find, 1) != std::string_view::npos;
}

void scanRow(TextBox& box, const std::string& find, const std::string& replace) {
    const bool resumeAfterInsert = insertsOwnFindText(find, replace);
    std::int64_t resumeAt = 0; // 1-based; 0 while nothing was inserted
    for (;;) {
        const Pos s = box.SelStart();
        const Pos l = box.SelLength();
        // One past the caret: the search skips the selection's first character.
        std::int64_t start = (s == 0 && l == 0) ? 1 : std::int64_t{s} + 2;
        start = std::max(start, resumeAt);
        const Pos p = box.find(start, find);
        if (p >= 1) {
            box.SetSelStart(p - 1);
            box.SetSelLength(static_cast<Pos>(find.size()));
        }
        // Runs on the pass that finds nothing too: the selection left by the
        // previous pass may spell the find text again.
        if (box.SelText() == find) {
            box.SetSelText(replace);
            if (p >= 1 && resumeAfterInsert)
                resumeAt = std::int64_t{p} + static_cast<std::int64_t>(replace.size());
        }
        if (p == 0)
            return;
        box.SetSelStart(p - 1);
        box.SetSelLength(static_cast<Pos>(find.size()));
    }
}

// The document as this row sees it is: bytes already passed on, then
// `pending_`, then the stretches in `held_`, then the unconsumed input. Once
// a replacement has happened, `pending_` begins where the latest one began
// (where scanRow() leaves its selection for the closing comparison), so
// everything before it is settled. `next_` is where the next search starts,
// counted in `pending_`; it may lie past its end, in the input.

namespace {

// Room for `extra` more bytes. At the end of a run a buffer may have to take
// most of the document at once, so it grows by a quarter rather than double,
// and a nearly empty one is let go before its successor is taken.
void makeRoom(std::string& buffer, std::size_t extra) {
    if (buffer.capacity() - buffer.size() >= extra)
        return;
    std::string grown;
    if (buffer.size() <= 256) {
        const std::string kept(buffer);
        std::string().swap(buffer);
        grown.reserve(kept.size() + extra);
        grown.append(kept);
    } else {
        grown.reserve(std::max(buffer.size() + extra, buffer.size() + buffer.size() / 4));
        grown.append(buffer);
    }
    buffer.swap(grown);
}

} // namespace

RowStream::RowStream(std::string_view find, std::string_view replace)
    : find_(find), replace_(replace), resume_(insertsOwnFindText(find, replace)) {}

RowStream::Spelling RowStream::spellsAt(std::size_t j, std::string_view input, std::size_t at,
                                        bool end) const {
    const std::size_t fromPending = std::min(pending_.size() - j, find_.size());
    if (std::string_view(pending_).substr(j, fromPending) != find_.substr(0, fromPending))
        return Spelling::No;
    const std::size_t rest = find_.size() - fromPending;
    const std::size_t available = std::min(rest, input.size() - at);
    if (input.substr(at, available) != find_.substr(fromPending, available))
        return Spelling::No;
    if (available == rest)
        return Spelling::Yes;
    return end ? Spelling::No : Spelling::NeedMore;
}

void RowStream::replaceAt(std::size_t j, std::size_t& at) {
    const std::size_t fromPending = pending_.size() - j;
    if (fromPending >= find_.size()) {
        pending_.replace(j, find_.size(), replace_);
    } else {
        pending_.resize(j);
        pending_.append(replace_);
        at += find_.size() - fromPending;
    }
}

void RowStream::passOnPending(std::string& out) {
    out.append(pending_);
    pending_.clear();
    for (std::string& stretch : held_) {
        out.append(stretch);
        std::string().swap(stretch);
    }
    held_.clear();
    heldSize_ = 0;
}

void RowStream::startedAt(std::size_t j, std::string& out) {
    out.append(pending_, 0, j);
    pending_.erase(0, j);
    hasLast_ = true;
    // The search after a replacement starts at its second byte, or right
    // after it for a row that inserts its own find text.
    next_ = resume_ ? replace_.size() : 1;
}

std::size_t RowStream::consume(std::size_t at) {
    consumed_ += at;
    return at;
}

void RowStream::takePassedBytes(std::string_view input, std::size_t& at) {
    // Bytes the search start has passed: the document's first byte, or the
    // byte after an empty replacement.
    while (next_ > pending_.size() && at < input.size())
        pending_.push_back(input[at++]);
}

RowStream::Match RowStream::matchInPending(std::string_view input, std::size_t& at, bool end,
                                           std::string& out) {
    // Matches beginning in the text held back, which runs on into the input:
    // the inserted text from its second byte.
    for (; next_ < pending_.size(); ++next_) {
        const Spelling spelling = spellsAt(next_, input, at, end);
        if (spelling == Spelling::NeedMore)
            return Match::NeedMore;
        if (spelling == Spelling::Yes) {
            const std::size_t j = next_;
            replaceAt(j, at);
            startedAt(j, out);
            return Match::Replaced;
        }
    }
    return Match::None;
}

bool RowStream::matchInInput(std::string_view input, std::size_t& at, std::string& out) {
    const std::size_t q = input.find(find_, at);
    if (q == std::string_view::npos)
        return false;
    makeRoom(out, pending_.size() + heldSize_ + (q - at));
    passOnPending(out);
    out.append(input.substr(at, q - at));
    pending_.assign(replace_);
    at = q + find_.size();
    startedAt(0, out);
    return true;
}

void RowStream::settlePiece(std::string_view input, std::size_t& at, bool mayBeFindText,
                            std::string& out) {
    // Nothing here; the last bytes may begin a match with the next piece.
    const std::size_t keep = std::min(input.size() - at, find_.size() - 1);
    const std::size_t settled = input.size() - keep - at;
    if (hasLast_ || mayBeFindText) {
        // Searched already; only the closing comparison may still look at
        // the first bytes after the latest replacement. The rest waits in
        // stretches, without being copied again.
        const std::string_view searched = input.substr(at, settled);
        const std::size_t atHand = held_.empty() && pending_.size() < find_.size()
                                       ? std::min(searched.size(), find_.size() - pending_.size())
                                       : 0;
        pending_.append(searched.substr(0, atHand));
        next_ = pending_.size();
        if (atHand < searched.size()) {
            held_.emplace_back(searched.substr(atHand));
            heldSize_ += searched.size() - atHand;
        }
    } else {
        next_ -= pending_.size();
        makeRoom(out, pending_.size() + settled);
        passOnPending(out);
        out.append(input.substr(at, settled));
    }
    at += settled;
}

void RowStream::finishDocument(std::string_view input, std::size_t at, std::string& out) {
    // The pass that finds nothing still compares the last selection: the
    // latest replacement, or the whole document when there was none.
    if (hasLast_) {
        if (spellsAt(0, input, at, true) == Spelling::Yes)
            replaceAt(0, at);
    } else if (consumed_ + input.size() == find_.size() &&
               pending_ + std::string(input.substr(at)) == find_) {
        pending_.assign(replace_);
        at = input.size();
    }
    makeRoom(out, pending_.size() + heldSize_ + (input.size() - at));
    passOnPending(out);
    out.append(input.substr(at));
}

std::size_t RowStream::run(std::string_view input, bool end, std::string& out) {
    // What this call may add, roughly: a row that lengthens the text makes
    // it a little longer here and there.
    const std::size_t growth = replace_.size() > find_.size() ? input.size() / 8 : 0;
    makeRoom(out, input.size() + growth + replace_.size());
    std::size_t at = 0;
    // Until the row has replaced something, the document might still be
    // exactly the find text, which the closing comparison replaces whole.
    const bool mayBeFindText = consumed_ + input.size() <= find_.size();
    for (;;) {
        takePassedBytes(input, at);
        if (next_ > pending_.size())
            break; // no more input
        const Match inPending = matchInPending(input, at, end, out);
        if (inPending == Match::NeedMore)
            return consume(at);
        if (inPending == Match::Replaced || matchInInput(input, at, out))
            continue;
        if (end)
            break;
        settlePiece(input, at, mayBeFindText, out);
        return consume(at);
    }
    if (!end) // waiting for the byte after an empty replacement
        return consume(at);
    finishDocument(input, at, out);
    return consume(input.size());
}

bool convertRow(std::string_view in, std::string& out, std::string_view find,
                std::string_view replace) {
    // A row that finds nothing changes nothing, unless the document is
    // exactly its find text: no copy for that common case.
    if (in.empty() || (in.find(find, 1) == std::string_view::npos && in != find))
        return false;
    // Room for the usual growth of a row. A buffer that is too small is
    // dropped before the new one is taken, so that a run never holds more
    // than its input and one output.
    if (out.capacity() < in.size() + in.size() / 16 + replace.size()) {
        std::string().swap(out);
        out.reserve(in.size() + in.size() / 8 + replace.size());
    }
    out.clear();
    RowStream row(find, replace);
    row.run(in, true, out);
    return true;
}

} // namespace kalvo
