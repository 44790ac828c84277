// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pipeline.h"

#include "calcfiles/Ti83pFile.h"
#include "calcfiles/Ti83pText.h"
#include "calcfiles/Ti86File.h"
#include "calcfiles/Ti86Listing.h"
#include "conversion/ConversionRun.h"
#include "document/TextBox.h"

#include <stdexcept>

namespace kalvo::cli {

namespace {

// No TI-83 Plus token is spelled with more than 32 bytes, so text longer
// than this cannot fit the 65,533 token bytes of a program; it is refused
// before tokenizing costs memory for it.
constexpr std::size_t kMaxTextForTi83pFile = std::size_t{32} * 65536;

Outcome failed(Outcome outcome, std::string message, int status = 1) {
    outcome.failure = Failure{status, std::move(message)};
    return outcome;
}

Outcome tooLongForTi83p(Outcome outcome, std::size_t size, std::string_view label) {
    return failed(std::move(outcome), std::string(label) + ": " + std::to_string(size) +
                                          " bytes of text are far more than a TI-83 Plus "
                                          "program holds (65533 token bytes)");
}

// The reader's findings; a failure when it found nothing it can use.
bool readingFailed(Outcome& outcome, std::string_view where, const calc::Diagnostics& found) {
    addDiagnostics(outcome.diagnostics, where, found);
    if (!hasError(outcome.diagnostics))
        return false;
    outcome.failure = Failure{1, ""}; // the error line says why
    return true;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// In TI-86 text, \xHH stands for a TI-86 byte with no text form (an unknown
// token, a font byte without a glyph); in TI-83 Plus text the same escape
// is a TI-83 Plus byte, which would give the program some other command
// with no word said. Doubling the backslash keeps the escape as what the
// user sees, characters the tokenizer warns about.
std::string keepTi86Escapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] != '\\' || i + 1 == text.size())
            continue;
        if (text[i + 1] == '\\')
            out += text[++i];
        else if (text[i + 1] == 'x' && i + 3 < text.size() && isHexDigit(text[i + 2]) &&
                 isHexDigit(text[i + 3]))
            out += '\\';
    }
    return out;
}

// ti83p text as a .8xp file called `name`.
Outcome writeTi83pFile(Outcome outcome, std::string_view text, std::string_view name,
                       std::string_view where, std::string_view label) {
    if (text.size() > kMaxTextForTi83pFile)
        return tooLongForTi83p(std::move(outcome), text.size(), label);
    const calc::Ti83pTokenized tokenized = calc::tokenizeTi83pText(text);
    addDiagnostics(outcome.diagnostics, where, tokenized.diagnostics);
    calc::Ti83pFileBytes file = calc::buildTi83pFile(tokenized.tokens, name);
    if (readingFailed(outcome, where, file.diagnostics))
        return outcome;
    outcome.output = std::move(file.bytes);
    return outcome;
}

// The .8xp name for a program read from a TI-86 file, unless --name gave one.
std::optional<std::string> nameFor(Outcome& outcome, const calc::Ti86Entry& program, const Job& job,
                                   std::string_view where) {
    if (job.name)
        return job.name;
    calc::Ti83pProgramName made = ti83pNameForTi86(program);
    if (readingFailed(outcome, where, made.diagnostics))
        return std::nullopt;
    return made.name;
}

Outcome fromTi86File(std::string_view input, const Job& job) {
    Outcome outcome;
    if (input.size() > calc::kTi86MaxFileBytes)
        return failed(std::move(outcome), job.label + ": larger than any TI-86 file (over " +
                                              std::to_string(calc::kTi86MaxFileBytes) + " bytes)");
    const calc::Ti86File file = calc::readTi86File(input);
    if (readingFailed(outcome, job.where, file.diagnostics))
        return outcome;
    const PickedProgram picked = pickTi86Program(file, job.program, job.label);
    if (!picked.entry)
        return failed(std::move(outcome), picked.failure.message, picked.failure.status);
    const std::string where = programWhere(file, *picked.entry, job.where);
    calc::Ti86Listing listing = calc::listTi86Program(*picked.entry);
    if (readingFailed(outcome, where, listing.diagnostics))
        return outcome;
    if (job.to == Format::Ti86Text) {
        outcome.output = std::move(listing.text);
        return outcome;
    }
    std::string converted = convertProgramText(listing.text, job.engine);
    if (job.to == Format::Ti83pText) {
        outcome.output = std::move(converted);
        return outcome;
    }
    const std::optional<std::string> name = nameFor(outcome, *picked.entry, job, where);
    if (!name)
        return outcome;
    return writeTi83pFile(std::move(outcome), keepTi86Escapes(converted), *name, where, job.label);
}

Outcome fromTi83pFile(std::string_view input, const Job& job) {
    Outcome outcome;
    const calc::Ti83pFile file = calc::readTi83pFile(input);
    if (readingFailed(outcome, job.where, file.diagnostics))
        return outcome;
    if (const std::optional<Failure> wrong = checkTi83pProgram(file, job.program, job.label))
        return failed(std::move(outcome), wrong->message, wrong->status);
    outcome.output = calc::listTi83pTokens(file.tokens).text;
    return outcome;
}

} // namespace

std::string convertProgramText(std::string_view text, Engine engine) {
    switch (engine) {
    case Engine::None:
        break;
    case Engine::TableRows:
        return convertText(text);
    }
    return std::string(text);
}

Outcome runJob(std::string input, const Job& job) {
    switch (job.from) {
    case Format::Ti86File:
        return fromTi86File(input, job);
    case Format::Ti83pFile:
        return fromTi83pFile(input, job);
    case Format::Ti86Text:
    case Format::Ti83pText:
        break;
    }
    Outcome outcome;
    if (job.to == Format::Ti83pFile) {
        // The rows shorten text by half at most ("==" becomes "=").
        if (input.size() > 2 * kMaxTextForTi83pFile)
            return tooLongForTi83p(std::move(outcome), input.size(), job.label);
        const std::string text = job.from == Format::Ti86Text
                                     ? keepTi86Escapes(convertProgramText(input, job.engine))
                                     : std::move(input);
        return writeTi83pFile(std::move(outcome), text, job.name.value_or(""), job.where,
                              job.label);
    }
    // ti86 text to ti83p text: the window's conversion, byte for byte.
    std::string converted = convertProgramText(input, job.engine);
    std::string().swap(input); // only one document in memory while writing
    // The window could not hold a result past the position limit either.
    if (!fitsDocument(converted.size()))
        return failed(std::move(outcome), job.label + ": " + documentTooLargeMessage());
    outcome.output = std::move(converted);
    return outcome;
}

Outcome listPrograms(std::string_view input, Format from, std::string_view where,
                     std::string_view label) {
    Outcome outcome;
    if (from == Format::Ti86File) {
        if (input.size() > calc::kTi86MaxFileBytes)
            return failed(std::move(outcome),
                          std::string(label) + ": larger than any TI-86 file (over " +
                              std::to_string(calc::kTi86MaxFileBytes) + " bytes)");
        const calc::Ti86File file = calc::readTi86File(input);
        if (!readingFailed(outcome, where, file.diagnostics))
            outcome.output = ti86ProgramList(file);
    } else {
        const calc::Ti83pFile file = calc::readTi83pFile(input);
        if (!readingFailed(outcome, where, file.diagnostics))
            outcome.output = ti83pProgramName(file);
    }
    return outcome;
}

} // namespace kalvo::cli
