#include "conversion/ConversionRun.h"

#include "conversion/RowScan.h"
#include "conversion/TokenTable.h"
#include "editor/TextBuffer.h"

#include <optional>
#include <utility>

namespace kalvo {

void runConversion(TextBox& box, ConversionState& state, ProgressView& progress,
                   MessageSink& messages, ScanMode mode) {
    progress.showProgress();
    box.SetFocus();
    selectAll(box);
    progress.setProgressValue(0);

    std::optional<std::string> original;
    std::string work, scratch;
    if (mode == ScanMode::Linear) {
        original = box.Text();
        work = *original;
    }

    for (;;) {
        ++state.counter;
        box.SetFocus();
        selectAll(box);
        progress.setProgressValue(progress.progressValue() + 1);
        const std::optional<TokenRow> row = tokenRow(state.counter);
        if (!row)
            break;
        state.txtFind.assign(row->find);
        state.txtReplace.assign(row->replace);
        if (mode == ScanMode::Linear) {
            if (convertRow(work, scratch, state.txtFind, state.txtReplace))
                std::swap(work, scratch);
        } else {
            scanRow(box, state.txtFind, state.txtReplace);
        }
    }

    // The whole document is selected here, so this is a single replacement.
    if (original && work != *original)
        box.SetSelText(work);

    messages.showMessage(kConversionCompleteMessage);
    messages.showMessage(kAfterConversionMessage);
    progress.hideProgress();
    box.SetFocus();
    box.SetSelStart(0);
    box.SetSelLength(0);
    state.counter = 0;
}

std::string convertText(std::string_view document) {
    // Two buffers in turn, and no copy at all for a row that changes
    // nothing; the rows up to the first change read the caller's text.
    std::string work, scratch;
    std::string_view in = document;
    bool changed = false;
    for (int n = 1; n <= kTokenRowCount; ++n) {
        const TokenRow row = *tokenRow(n);
        if (convertRow(in, scratch, row.find, row.replace)) {
            std::swap(work, scratch);
            in = work;
            changed = true;
        }
    }
    if (!changed)
        return std::string(document);
    return work;
}

namespace {

struct Silent final : ProgressView, MessageSink {
    float value = 0;
    void showProgress() override {}
    float progressValue() const override { return value; }
    void setProgressValue(float v) override { value = v; }
    void hideProgress() override {}
    void showMessage(std::string_view) override {}
};

} // namespace

std::string convertTextStepByStep(std::string_view document) {
    TextBuffer box(document);
    ConversionState state;
    Silent silent;
    runConversion(box, state, silent, silent, ScanMode::StepByStep);
    return box.Text();
}

} // namespace kalvo
