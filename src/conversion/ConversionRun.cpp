#include "conversion/ConversionRun.h"

#include "conversion/RowScan.h"
#include "conversion/TokenTable.h"
#include "editor/TextBuffer.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace kalvo {

namespace {

void runRows(TextBox& box, ConversionState& state, ProgressView& progress, ScanMode mode) {
    focusAndSelectAll(box);
    progress.setProgressValue(0);

    // The linear scan reads the document where the box keeps it, and holds
    // only the two latest versions of it: the memory a run needs stays a
    // small multiple of the document.
    std::string copy, work, scratch;
    std::string_view original, current;
    if (mode == ScanMode::Linear) {
        if (const std::optional<std::string_view> bytes = box.bytesInPlace()) {
            original = *bytes;
        } else {
            copy = box.Text();
            original = copy;
        }
        current = original;
    }

    for (;;) {
        ++state.counter;
        focusAndSelectAll(box);
        progress.setProgressValue(progress.progressValue() + 1);
        const std::optional<TokenRow> row = tokenRow(state.counter);
        if (!row)
            break;
        state.txtFind.assign(row->find);
        state.txtReplace.assign(row->replace);
        if (mode == ScanMode::Linear) {
            if (convertRow(current, scratch, state.txtFind, state.txtReplace)) {
                std::swap(work, scratch);
                current = work;
            }
        } else {
            scanRow(box, state.txtFind, state.txtReplace);
        }
    }

    // The whole document is selected here, so this is a single replacement.
    if (mode == ScanMode::Linear && current != original) {
        std::string().swap(scratch);
        std::string().swap(copy);
        box.SetSelText(work);
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

std::string convertText(std::string_view document) {
    // Pieces small enough that a piece and its converted text stay in the
    // processor's cache while all 81 rows work on them, and small beside
    // the document so that they add little to the memory a run needs.
    const std::size_t pieceSize =
        std::clamp<std::size_t>(document.size() / 16, std::size_t{4} << 10, std::size_t{32} << 10);
    return convertTextInPieces(document, pieceSize);
}

std::string convertTextInPieces(std::string_view document, std::size_t pieceSize) {
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
