// Fuzz target for the conversion: whatever the input, both scans must end,
// keep the caret and selection inside the text, and agree byte for byte.
#include "conversion/ConversionRun.h"
#include "conversion/RowScan.h"
#include "editor/TextBuffer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Checks the caret/selection invariant after every operation.
class CheckedBox final : public kalvo::TextBox {
public:
    explicit CheckedBox(std::string_view text) : inner_(text) {}

    std::string Text() const override { return inner_.Text(); }
    void SetText(std::string_view text) override { inner_.SetText(text), check(); }
    kalvo::Pos Length() const override { return inner_.Length(); }
    kalvo::Pos SelStart() const override { return inner_.SelStart(); }
    void SetSelStart(kalvo::Pos caret) override { inner_.SetSelStart(caret), check(); }
    kalvo::Pos SelLength() const override { return inner_.SelLength(); }
    void SetSelLength(kalvo::Pos count) override { inner_.SetSelLength(count), check(); }
    std::string SelText() const override { return inner_.SelText(); }
    void SetSelText(std::string_view text) override { inner_.SetSelText(text), check(); }
    void SetFocus() override {}
    kalvo::Pos find(std::int64_t start, std::string_view needle) const override {
        return inner_.find(start, needle);
    }

private:
    void check() const {
        const auto s = inner_.SelStart();
        const auto l = inner_.SelLength();
        if (s < 0 || s > inner_.Length() || l < 0 || l > inner_.Length() - s)
            fail("caret or selection outside the text");
    }
    [[noreturn]] static void fail(const char* what) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
    kalvo::TextBuffer inner_;
};

struct Silent final : kalvo::ProgressView, kalvo::MessageSink {
    float value = 0;
    void showProgress() override {}
    float progressValue() const override { return value; }
    void setProgressValue(float v) override { value = v; }
    void hideProgress() override {}
    void showMessage(std::string_view) override {}
};

[[noreturn]] void mismatch(const char* what) {
    std::fprintf(stderr, "linear and step-by-step scans differ: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The step-by-step scan is quadratic; larger inputs add nothing but time.
    if (size > 4096)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The whole table over the input as a document.
    {
        CheckedBox box(input);
        kalvo::ConversionState state;
        Silent silent;
        kalvo::runConversion(box, state, silent, silent, kalvo::ScanMode::StepByStep);
        if (box.Text() != kalvo::convertText(input))
            mismatch("whole table");
        if (silent.value != 82.0f || state.counter != 0)
            mismatch("progress or counter");
    }

    // A row made of the input itself: its first two bytes give the lengths of
    // the find and replace texts that follow; the rest is the document.
    if (size >= 2) {
        const std::size_t findLength = 1 + data[0] % 6;
        const std::size_t replaceLength = 1 + data[1] % 9;
        if (size >= 2 + findLength + replaceLength) {
            const std::string find(input.substr(2, findLength));
            const std::string replace(input.substr(2 + findLength, replaceLength));
            const std::string_view document = input.substr(2 + findLength + replaceLength);
            CheckedBox box(document);
            kalvo::selectAll(box);
            kalvo::scanRow(box, find, replace);
            std::string linear;
            if (!kalvo::convertRow(document, linear, find, replace))
                linear = document; // the row changed nothing
            if (box.Text() != linear)
                mismatch("single row");
        }
    }
    return 0;
}
