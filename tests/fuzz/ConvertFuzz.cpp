// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: whatever the input, both scans end, keep the caret and the
// selection inside the text, and agree byte for byte.
#include "FuzzRequire.h"
#include "conversion/ConversionRun.h"
#include "conversion/RowScan.h"
#include "document/TextBuffer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A buffer whose caret and selection are checked after every change.
struct CheckedBox final : kalvo::TextBox {
    explicit CheckedBox(std::string_view text) : inner(text) {}
    std::string Text() const override { return inner.Text(); }
    void SetText(std::string_view text) override { inner.SetText(text), check(); }
    kalvo::Pos Length() const override { return inner.Length(); }
    kalvo::Pos SelStart() const override { return inner.SelStart(); }
    void SetSelStart(kalvo::Pos caret) override { inner.SetSelStart(caret), check(); }
    kalvo::Pos SelLength() const override { return inner.SelLength(); }
    void SetSelLength(kalvo::Pos count) override { inner.SetSelLength(count), check(); }
    std::string SelText() const override { return inner.SelText(); }
    void SetSelText(std::string_view text) override { inner.SetSelText(text), check(); }
    void SetFocus() override {} // find() searches Text()
    void check() const {
        const auto s = inner.SelStart(), l = inner.SelLength(), n = inner.Length();
        require(s >= 0 && s <= n && l >= 0 && l <= n - s, "caret or selection outside the text");
    }
    kalvo::TextBuffer inner;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The step-by-step scan is quadratic; larger inputs add nothing but time.
    if (size > 4096)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckedBox box(input); // the whole table over the input as a document
    kalvo::ConversionState state;
    kalvo::HeadlessView headless;
    kalvo::runConversion(box, state, headless, headless, kalvo::ScanMode::StepByStep);
    require(box.Text() == kalvo::convertText(input), "whole table: linear and step by step differ");
    require(headless.value == 82.0f && state.counter == 0, "progress or counter wrong after a run");

    // A row made of the input itself: its first two bytes give the lengths of
    // the find and replace texts that follow; the rest is the document.
    const std::size_t f = size < 2 ? 0 : 1 + data[0] % 6, r = size < 2 ? 0 : 1 + data[1] % 9;
    if (f == 0 || size < 2 + f + r)
        return 0;
    const std::string find(input.substr(2, f)), replace(input.substr(2 + f, r));
    const std::string_view document = input.substr(2 + f + r);
    CheckedBox row(document);
    kalvo::selectAll(row);
    kalvo::scanRow(row, find, replace);
    std::string linear;
    if (!kalvo::convertRow(document, linear, find, replace))
        linear = document; // the row changed nothing
    require(row.Text() == linear, "single row: linear and step by step differ");
    return 0;
}
