// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/CalcDocuments.h"

#include "calcfiles/report/HandWork.h"
#include "calcfiles/ti83p/Ti83pText.h"
#include "calcfiles/ti86/Ti86Font.h"
#include "calcfiles/ti86/Ti86Listing.h"
#include "files/FileIO.h"
#include "files/ProgramNames.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace kalvo {
namespace fs = std::filesystem;

namespace {

using Severity = calc::Diagnostic::Severity;

// No TI-83 Plus token is spelled with more than 32 bytes, so longer text
// cannot fit the token bytes of a program; it is refused before tokenizing
// costs memory for it.
constexpr std::size_t kMaxTextForTi83pFile = std::size_t{32} * 65536;

// A program text far longer than any calculator holds: its report would
// cost time and say nothing useful.
constexpr std::size_t kMaxTextForFindings = calc::kTi86MaxFileBytes;

std::string quoted(std::string_view name) {
    return "\"" + std::string(name) + "\"";
}

std::string firstError(const calc::Diagnostics& found) {
    for (const calc::Diagnostic& d : found)
        if (d.severity == Severity::Error)
            return d.message;
    return "it cannot be read";
}

// What is said about a file's content in the message that it holds no program.
std::string heldEntries(const calc::Ti86File& file) {
    std::string out;
    const std::size_t shown = std::min<std::size_t>(file.entries.size(), 4);
    for (std::size_t i = 0; i < shown; ++i)
        out += (i == 0 ? "" : ", ") + calc::ti86TypeName(file.entries[i].type) + " " +
               calc::ti86EntryName(file.entries[i]);
    if (file.entries.size() > shown)
        out += ", ...";
    return out;
}

std::string extensionOf(const fs::path& name) {
    std::string extension = name.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// Only the signature is read: a large file costs nothing.
bool beginsLikeTi86File(const fs::path& name) {
    std::error_code error;
    if (!fs::is_regular_file(name, error))
        return false;
    std::ifstream in(name, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    return calc::looksLikeTi86File(std::string_view(head, static_cast<std::size_t>(in.gcount())));
}

calc::Diagnostic problem(std::string message) {
    calc::Diagnostic d;
    d.severity = Severity::Error;
    d.message = std::move(message);
    return d;
}

bool isWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return std::isalnum(byte) || byte >= 0x80;
}

// The 1-based line `line` of `text`, without its line end.
std::optional<std::string_view> lineOf(std::string_view text, std::size_t line, LineEnds ends) {
    std::size_t at = 0;
    for (std::size_t n = 1;; ++n) {
        std::size_t end =
            ends == LineEnds::CrLfOrLf ? text.find('\n', at) : text.find_first_of("\r\n", at);
        const bool last = end == std::string_view::npos;
        if (last)
            end = text.size();
        if (n == line) {
            std::size_t stop = end;
            if (ends == LineEnds::CrLfOrLf && stop > at && text[stop - 1] == '\r')
                --stop;
            return text.substr(at, stop - at);
        }
        if (last)
            return std::nullopt;
        at = end + 1;
        if (ends == LineEnds::AnyOfCrLfLfCr && text[end] == '\r' && at < text.size() &&
            text[at] == '\n')
            ++at;
    }
}

} // namespace

DocumentFileKind documentFileKind(std::string_view bytes) {
    if (calc::looksLikeTi86File(bytes))
        return DocumentFileKind::Ti86File;
    if (calc::looksLikeTi83pFile(bytes))
        return DocumentFileKind::Ti83pFile;
    return DocumentFileKind::Text;
}

CalcFileContents readCalcFile(std::string_view bytes, std::string_view shownName) {
    CalcFileContents contents;
    contents.kind = documentFileKind(bytes);
    switch (contents.kind) {
    case DocumentFileKind::Text:
        contents.refusal = quoted(shownName) + " is no calculator file";
        break;
    case DocumentFileKind::Ti86File:
        if (bytes.size() > calc::kTi86MaxFileBytes) {
            contents.refusal = quoted(shownName) + " is larger than any TI-86 file (over " +
                               std::to_string(calc::kTi86MaxFileBytes) + " bytes)";
            break;
        }
        contents.ti86 = calc::readTi86File(bytes);
        contents.diagnostics = contents.ti86.diagnostics;
        for (const calc::Ti86Entry* program : calc::ti86Programs(contents.ti86))
            contents.programs.push_back(calc::ti86EntryName(*program));
        if (!contents.ti86.readable())
            contents.refusal = quoted(shownName) +
                               " is a TI-86 file, but no program can be read "
                               "from it: " +
                               firstError(contents.diagnostics);
        else if (contents.programs.empty())
            contents.refusal = quoted(shownName) +
                               " is a TI-86 file with no program in it; it holds " +
                               heldEntries(contents.ti86);
        break;
    case DocumentFileKind::Ti83pFile:
        if (bytes.size() > calc::kTi83pMaxFileBytes) {
            contents.refusal = quoted(shownName) + " is larger than any TI-83 Plus program file";
            break;
        }
        contents.ti83p = calc::readTi83pFile(bytes);
        contents.diagnostics = contents.ti83p.diagnostics;
        if (contents.ti83p.readable())
            contents.programs.push_back(calc::ti86NameToUtf8(contents.ti83p.name));
        else
            contents.refusal = quoted(shownName) +
                               " is a TI-83 Plus file, but no program can be "
                               "read from it: " +
                               firstError(contents.diagnostics);
        break;
    }
    return contents;
}

OpenedProgram openCalcProgram(const CalcFileContents& contents, std::size_t index) {
    OpenedProgram opened;
    opened.diagnostics = contents.diagnostics;
    if (!contents.refusal.empty() || index >= contents.programs.size()) {
        opened.refusal = contents.refusal.empty() ? "there is no such program" : contents.refusal;
        return opened;
    }
    if (contents.kind == DocumentFileKind::Ti83pFile) {
        opened.text = calc::listTi83pTokens(contents.ti83p.tokens).text;
        opened.ti83pSpellings = true;
        return opened;
    }
    const calc::Ti86Entry& program = *calc::ti86Programs(contents.ti86)[index];
    calc::Ti86Listing listing = calc::listTi86Program(program);
    opened.diagnostics.insert(opened.diagnostics.end(), listing.diagnostics.begin(),
                              listing.diagnostics.end());
    if (!listing.listed()) {
        opened.refusal = "Program " + contents.programs[index] +
                         " cannot be opened: " + firstError(listing.diagnostics);
        return opened;
    }
    opened.text = std::move(listing.text);
    return opened;
}

bool namesTi83pProgramFile(const fs::path& name) {
    return extensionOf(name) == ".8xp";
}

bool keepsTi86File(const fs::path& name) {
    const std::string extension = extensionOf(name);
    return extension == ".86p" || extension == ".86g" || beginsLikeTi86File(name);
}

SaveEncoding encodeForSave(const fs::path& name, std::string_view text) {
    SaveEncoding encoded;
    if (keepsTi86File(name)) {
        encoded.file.error = FileError::Ti86FileKept;
        return encoded;
    }
    if (!namesTi83pProgramFile(name)) {
        encoded.file.bytes = documentFileBytes(text);
        return encoded;
    }
    calc::Ti83pProgramName programName = ti83pNameForPath(name.filename().string());
    encoded.diagnostics = std::move(programName.diagnostics);
    if (programName.name.empty()) {
        encoded.file.error = FileError::NoTi83pProgram;
        return encoded;
    }
    if (text.size() > kMaxTextForTi83pFile) {
        encoded.diagnostics.push_back(problem(std::to_string(text.size()) +
                                              " bytes of text are far more than a TI-83 Plus "
                                              "program holds (65533 token bytes)"));
        encoded.file.error = FileError::NoTi83pProgram;
        return encoded;
    }
    calc::Ti83pTokenized tokenized = calc::tokenizeTi83pText(text);
    encoded.diagnostics.insert(encoded.diagnostics.end(), tokenized.diagnostics.begin(),
                               tokenized.diagnostics.end());
    calc::Ti83pFileBytes file = calc::buildTi83pFile(tokenized.tokens, programName.name);
    encoded.diagnostics.insert(encoded.diagnostics.end(), file.diagnostics.begin(),
                               file.diagnostics.end());
    if (!file.written())
        encoded.file.error = FileError::NoTi83pProgram;
    else
        encoded.file.bytes = std::move(file.bytes);
    return encoded;
}

std::optional<calc::Diagnostics> handWorkFindings(std::string_view ti86Text) {
    if (ti86Text.size() > kMaxTextForFindings)
        return std::nullopt;
    return calc::findHandWork(ti86Text).findings;
}

std::optional<TextPlace> placeInDocument(std::string_view document, std::size_t line,
                                         std::size_t column, LineEnds ends) {
    if (line == 0)
        return std::nullopt;
    const std::optional<std::string_view> text = lineOf(document, line, ends);
    if (!text)
        return std::nullopt;
    const std::size_t lineStart = static_cast<std::size_t>(text->data() - document.data());
    const std::size_t start = std::min(column == 0 ? 0 : column - 1, text->size());
    std::size_t end = start;
    while (end < text->size() && isWordByte((*text)[end]))
        ++end;
    if (end == start && start < text->size())
        ++end;
    return TextPlace{static_cast<Pos>(lineStart + start), static_cast<Pos>(end - start)};
}

std::size_t convertedColumn(std::string_view ti86Text, std::string_view converted, std::size_t line,
                            std::size_t column) {
    const std::optional<std::string_view> ti86Line = lineOf(ti86Text, line, LineEnds::CrLfOrLf);
    const std::optional<std::string_view> convertedLine =
        lineOf(converted, line, LineEnds::CrLfOrLf);
    // Aligning a very long line costs more than a click is worth: the
    // column then stays as it is.
    constexpr std::size_t kLongestAligned = 4096;
    if (!ti86Line || !convertedLine || convertedLine->size() > kLongestAligned ||
        ti86Line->size() > kLongestAligned)
        return column;
    // One probe for each converted column, all placed in one alignment.
    calc::Diagnostics probes(convertedLine->size() + 1);
    for (std::size_t c = 0; c < probes.size(); ++c) {
        probes[c].line = 1;
        probes[c].column = c + 1;
    }
    probes = calc::placeInTi86Text(std::move(probes), *ti86Line, *convertedLine);
    for (std::size_t c = 0; c < probes.size(); ++c)
        if (probes[c].column >= column)
            return c + 1;
    return convertedLine->size() + 1;
}

} // namespace kalvo
