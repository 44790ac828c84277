// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/ConversionRun.h"

#include "conversion/RowScan.h"
#include "conversion/TokenTable.h"
#include "document/TextBuffer.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace kalvo {

namespace {

// One step of the run: the next row, the focus in the box with everything
// selected, the bar one further. False past the last row.
bool nextRow(TextBox& box, ConversionState& state, ProgressView& progress) {
    ++state.counter;
    focusAndSelectAll(box);
    progress.setProgressValue(progress.progressValue() + 1);
    const std::optional<TokenRow> row = tokenRow(state.counter);
    if (!row)
        return false;
    state.txtFind.assign(row->find);
    state.txtReplace.assign(row->replace);
    return true;
}

void runRows(TextBox& box, ConversionState& state, ProgressView& progress, ScanMode mode) {
    focusAndSelectAll(box);
    progress.setProgressValue(0);

    if (mode == ScanMode::StepByStep) {
        while (nextRow(box, state, progress))
            scanRow(box, state.txtFind, state.txtReplace);
        return;
    }

    // The linear run reads the document where the box keeps it and sends it
    // through all rows in pieces, so that it holds one converted copy and
    // takes a fraction of the time of a pass per row. The bar still counts
    // the rows, in step with the share of the document done.
    std::string copy;
    std::string_view original;
    if (const std::optional<std::string_view> bytes = box.bytesInPlace()) {
        original = *bytes;
    } else {
        copy = box.Text();
        original = copy;
    }
    int rowsShown = 0;
    const auto showRowsUpTo = [&](int last) {
        for (; rowsShown < last; ++rowsShown)
            nextRow(box, state, progress);
    };
    std::string converted = convertText(original, [&](std::size_t done) {
        showRowsUpTo(original.empty() ? kTokenRowCount
                                      : static_cast<int>(std::uint64_t{kTokenRowCount} * done /
                                                         original.size()));
    });
    showRowsUpTo(kTokenRowCount);
    nextRow(box, state, progress); // past the last row: the run ends

    // The whole document is selected here, so this is a single replacement.
    if (converted != original) {
        std::string().swap(copy);
        box.SetSelText(converted);
    }
}

} // namespace

void runConversion(TextBox& box, ConversionState& state, ProgressView& progress,
                   MessageSink& messages, ScanMode mode) {
    const Pos selStart = box.SelStart(), selLength = box.SelLength();
    progress.showProgress();
    try {
        runRows(box, state, progress, mode);
    } catch (...) {
        // Stopped by an error (no memory, a result past the document's
        // limit): no progress window or counter is left behind, and the
        // linear scan has not touched the text. The caller says why.
        progress.hideProgress();
        state.counter = 0;
        box.SetSelStart(selStart);
        box.SetSelLength(selLength);
        throw;
    }

    messages.showMessage(kConversionCompleteMessage);
    messages.showMessage(kAfterConversionMessage);
    progress.hideProgress();
    box.SetFocus();
    box.SetSelStart(0);
    box.SetSelLength(0);
    state.counter = 0;
}

std::string convertText(std::string_view document, const std::function<void(std::size_t)>& done) {
    // Pieces small enough that a piece and its converted text stay in the
    // processor's cache while all 81 rows work on them, and small beside
    // the document so that they add little to the memory a run needs.
    const std::size_t pieceSize =
        std::clamp<std::size_t>(document.size() / 16, std::size_t{4} << 10, std::size_t{32} << 10);
    return convertTextInPieces(document, pieceSize, done);
}

std::string convertTextInPieces(std::string_view document, std::size_t pieceSize,
                                const std::function<void(std::size_t)>& done) {
    std::vector<RowStream> rows;
    rows.reserve(kTokenRowCount);
    for (int n = 1; n <= kTokenRowCount; ++n)
        rows.emplace_back(tokenRow(n)->find, tokenRow(n)->replace);
    // What each row left unconsumed of the last piece: it goes in front of
    // the next one. A few bytes: the start of a possible match.
    std::vector<std::string> leftover(rows.size());
    // A piece on its way through the rows, in two buffers used in turn.
    std::string piece, converted;
    piece.reserve(pieceSize + pieceSize / 4 + 64);
    converted.reserve(pieceSize + pieceSize / 4 + 64);
    std::string result;
    bool resultReserved = false;

    std::size_t fed = 0;      // bytes of the document handed to the first row
    std::size_t consumed = 0; // of those, consumed by it
    for (;;) {
        fed = std::min(document.size(), fed + std::max<std::size_t>(pieceSize, 1));
        const bool end = fed == document.size();
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const bool lastRow = k + 1 == rows.size();
            std::string& out = lastRow ? result : converted;
            if (!lastRow) {
                out.assign(leftover[k + 1]);
            } else {
                // A row that held text back (it has replaced something and
                // must wait for the end to know whether that was its last
                // occurrence) hands it all over at the end, when the other
                // buffer is no longer needed. Text that flows through the
                // rows gets room for all of it at once.
                if (end)
                    std::string().swap(converted);
                if (!resultReserved && result.size() + piece.size() >= fed / 2) {
                    result.reserve(document.size() + document.size() / 8);
                    resultReserved = true;
                }
            }
            if (k == 0) {
                consumed += rows[k].run(document.substr(consumed, fed - consumed), end, out);
            } else {
                const std::size_t used = rows[k].run(piece, end, out);
                leftover[k].assign(piece, used);
            }
            if (!lastRow)
                std::swap(piece, converted);
        }
        if (done)
            done(fed);
        if (end)
            return result;
    }
}

std::string convertTextStepByStep(std::string_view document) {
    TextBuffer box(document);
    ConversionState state;
    HeadlessView headless;
    runConversion(box, state, headless, headless, ScanMode::StepByStep);
    return box.Text();
}

} // namespace kalvo
