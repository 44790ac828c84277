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

namespace {

// Does `out[from..]` followed by `in[at..]` begin with `find`?
bool spellsAt(const std::string& out, std::size_t from, std::string_view in, std::size_t at,
              std::string_view find) {
    const std::size_t fromOut = std::min(out.size() - from, find.size());
    if (std::string_view(out).substr(from, fromOut) != find.substr(0, fromOut))
        return false;
    const std::size_t rest = find.size() - fromOut;
    return in.size() - at >= rest && in.substr(at, rest) == find.substr(fromOut);
}

// Replaces the occurrence of `find` that starts at out[from] and may run on
// into in[at..]; advances `at` past the input it consumed.
void replaceAt(std::string& out, std::size_t from, std::size_t& at, std::string_view find,
               std::string_view replace) {
    const std::size_t fromOut = out.size() - from;
    if (fromOut >= find.size()) {
        out.replace(from, find.size(), replace);
        return;
    }
    out.resize(from);
    out.append(replace);
    at += find.size() - fromOut;
}

} // namespace

// The document is always out + in[at..]: `out` holds what is settled plus the
// text just inserted, where the next match may begin. `last` is where the most
// recent replacement begins in `out`, which is where scanRow() leaves its
// selection for the closing comparison.
bool convertRow(std::string_view in, std::string& out, std::string_view find,
                std::string_view replace) {
    if (in.empty())
        return false;
    std::size_t q = in.find(find, 1); // the whole document is selected: start at the second byte
    if (q == std::string_view::npos) {
        if (in != find)
            return false;
        out.assign(replace);
        return true;
    }
    // Room for the usual growth of a row. A buffer that is too small is
    // dropped before the new one is taken, so that a run never holds more
    // than its input and one output.
    if (out.capacity() < in.size() + in.size() / 16 + replace.size()) {
        std::string().swap(out);
        out.reserve(in.size() + in.size() / 8 + replace.size());
    }
    out.clear();
    const bool resumeAfterInsert = insertsOwnFindText(find, replace);
    out.append(in.substr(0, q));
    std::size_t last = out.size();
    out.append(replace);
    std::size_t at = q + find.size();
    for (;;) {
        // The next search starts one byte after the replacement began. An
        // empty replacement leaves that byte in the input: it can no longer
        // begin a match, so it is settled.
        if (out.size() == last && at < in.size())
            out.push_back(in[at++]);
        // Matches that begin inside the text just inserted, from its second byte.
        bool found = false;
        const std::size_t firstCandidate = resumeAfterInsert ? out.size() : last + 1;
        for (std::size_t j = firstCandidate; j < out.size(); ++j) {
            if (spellsAt(out, j, in, at, find)) {
                replaceAt(out, j, at, find, replace);
                last = j;
                found = true;
                break;
            }
        }
        if (found)
            continue;
        q = in.find(find, at);
        if (q == std::string_view::npos)
            break;
        out.append(in.substr(at, q - at));
        last = out.size();
        out.append(replace);
        at = q + find.size();
    }
    // The pass that finds nothing still compares the last selection.
    if (spellsAt(out, last, in, at, find))
        replaceAt(out, last, at, find, replace);
    out.append(in.substr(at));
    return true;
}

} // namespace kalvo
