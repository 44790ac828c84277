// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for TI-86 files: whatever the bytes, reading, listing and
// tokenizing the listing end without reading outside the input, entries lie
// inside the file, listings keep their line form, and token bytes that
// decode without a fault encode back to themselves. The hand-work report on
// those texts and tokens places every finding inside the text, in order, and
// a column of the converted text lands inside its TI-86 line.
#include "FuzzRequire.h"
#include "calcfiles/report/HandWork.h"
#include "calcfiles/ti86/Ti86File.h"
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/ti86/Ti86Tokens.h"
#include "conversion/ConversionRun.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Every line begins with ":" and ends with CR LF.
bool hasLineForm(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        if (text[at] != ':' || end == std::string_view::npos)
            return false;
        at = end + 2;
    }
    return true;
}

// Findings sorted, one per place, each on a line of the text.
void checkReport(const kalvo::calc::HandWorkReport& report, std::string_view text) {
    using namespace kalvo::calc;
    std::size_t lines = 1;
    for (const char c : text)
        lines += c == '\n' ? 1 : 0;
    for (std::size_t k = 0; k < report.findings.size(); ++k) {
        const Diagnostic& d = report.findings[k];
        require(d.line >= 1 && d.line <= lines && d.column >= 1, "finding outside the text");
        if (k > 0) {
            const Diagnostic& p = report.findings[k - 1];
            require(p.line < d.line || (p.line == d.line && p.column <= d.column),
                    "findings out of order");
        }
    }
    (void)handWorkSummary(report.counts);
}

void checkListing(const kalvo::calc::Ti86Listing& listing) {
    using namespace kalvo::calc;
    require(listing.text.empty() || hasLineForm(listing.text), "listing lines malformed");
    const Ti86Tokenized back = tokenizeTi86Text(listing.text);
    for (const Ti86Token& t : back.tokens)
        require(t.line >= 1 && t.column >= 1, "token without a position");
    checkReport(findHandWork(listing.text), listing.text);
    if (!listing.tokens.empty())
        checkReport(findHandWork(listing.text, listing.tokens), listing.text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalvo::calc;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The input as a whole file, signature forced so that the fuzzer need
    // not find it; then as it is.
    std::string file = "**TI86**";
    file.append(bytes);
    for (const std::string_view input : {std::string_view(file), bytes}) {
        const Ti86File read = readTi86File(input);
        require(read.readable() || !read.diagnostics.empty(), "nothing read and nothing said");
        for (const Ti86Entry& entry : read.entries) {
            require(entry.dataOffset + entry.data.size() <= input.size(), "entry past the end");
            require(input.substr(entry.dataOffset, entry.data.size()) == entry.data,
                    "entry data not where it says");
            (void)ti86EntryName(entry);
            (void)findTi86Entry(read, ti86EntryName(entry));
            checkListing(listTi86Program(entry));
        }
    }

    // The input as token bytes and as text.
    Diagnostics faults;
    const auto tokens = decodeTi86Tokens(bytes, 0, faults);
    if (faults.empty())
        require(encodeTi86Tokens(tokens) == bytes, "clean tokens do not encode back");
    checkListing(listTi86Tokens(tokens));
    checkListing(listTi86PlainText(bytes));
    checkReport(findHandWork(bytes), bytes);

    const std::string converted = kalvo::convertText(bytes);
    std::size_t ti86At = 0, convertedAt = 0;
    for (int line = 0; line < 16; ++line) {
        const std::size_t ti86End = std::min(bytes.find('\n', ti86At), bytes.size());
        const std::size_t convertedEnd =
            std::min(converted.find('\n', convertedAt), converted.size());
        const std::string_view ti86Line = bytes.substr(ti86At, ti86End - ti86At);
        const std::string_view convertedLine =
            std::string_view(converted).substr(convertedAt, convertedEnd - convertedAt);
        // A few columns a line: each placement aligns the whole line.
        const std::size_t step = std::max<std::size_t>(1, convertedLine.size() / 8);
        for (std::size_t column = 1; column <= convertedLine.size(); column += step) {
            const std::size_t placed = ti86ColumnOf(ti86Line, convertedLine, column);
            require(placed >= 1 && placed <= ti86Line.size() + 1, "column placed outside the line");
        }
        if (ti86End == bytes.size() || convertedEnd == converted.size())
            break;
        ti86At = ti86End + 1;
        convertedAt = convertedEnd + 1;
    }
    return 0;
}
