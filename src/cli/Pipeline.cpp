// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pipeline.h"

#include "calcfiles/report/HandWork.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"
#include "calcfiles/ti86/Ti86File.h"
#include "calcfiles/ti86/Ti86Font.h"
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/translate/Ti86To83p.h"
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

// A TI-86 file as read, or nothing when it is too large for one or holds no
// readable entry; the faults are in `outcome` either way.
std::optional<calc::Ti86File> readTi86Input(Outcome& outcome, std::string_view input,
                                            std::string_view where, std::string_view label) {
    if (input.size() > calc::kTi86MaxFileBytes) {
        outcome =
            failed(std::move(outcome), std::string(label) + ": larger than any TI-86 file (over " +
                                           std::to_string(calc::kTi86MaxFileBytes) + " bytes)");
        return std::nullopt;
    }
    calc::Ti86File file = calc::readTi86File(input);
    if (readingFailed(outcome, where, file.diagnostics))
        return std::nullopt;
    return file;
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

// The hand-work report's findings and summary line, once its list is whole.
void addHandWork(Outcome& outcome, std::string_view where, calc::HandWorkReport&& handWork) {
    const std::string summary = calc::handWorkSummary(handWork.counts);
    addDiagnostics(outcome.diagnostics, where, std::move(handWork.findings));
    if (!summary.empty())
        outcome.summary = "kalvo-convert: " + summary + "\n";
}

// What the rows converted from `ti86Text`, and the report about it unless
// the job wants none (then the tokenizer's findings are said as they are).
struct RowsConversion {
    std::string_view ti86Text;
    std::optional<calc::HandWorkReport> handWork;
};

// The report for TI-86 text, reusing the listing's tokens when it has them.
std::optional<calc::HandWorkReport> handWorkFor(const Job& job, std::string_view ti86Text,
                                                const std::vector<calc::Ti86Token>& tokens = {}) {
    if (!job.handWork)
        return std::nullopt;
    return tokens.empty() ? calc::findHandWork(ti86Text) : calc::findHandWork(ti86Text, tokens);
}

// ti83p text as a .8xp file called `name`. After the rows, the tokenizer's
// findings are placed in the TI-86 text and join the report, so that a
// place both name is said once.
Outcome writeTi83pFile(Outcome outcome, std::string_view text, std::string_view name,
                       std::string_view where, std::string_view label,
                       RowsConversion* rows = nullptr) {
    if (text.size() > kMaxTextForTi83pFile)
        return tooLongForTi83p(std::move(outcome), text.size(), label);
    const calc::Ti83pTokenized tokenized = calc::tokenizeTi83pText(text);
    if (rows && rows->handWork) {
        calc::mergeFindings(*rows->handWork,
                            calc::placeInTi86Text(tokenized.diagnostics, rows->ti86Text, text));
        addHandWork(outcome, where, std::move(*rows->handWork));
    } else {
        addDiagnostics(outcome.diagnostics, where, tokenized.diagnostics);
    }
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

// A listed program's tokens with their place in the listing: a tokenized
// program brings them, plain text is tokenized first.
std::vector<calc::Ti86Token> listedTokens(Outcome& outcome, calc::Ti86Listing& listing,
                                          std::string_view where) {
    if (!listing.tokens.empty() || listing.text.empty())
        return std::move(listing.tokens);
    calc::Ti86Tokenized tokenized = calc::tokenizeTi86Text(listing.text);
    addDiagnostics(outcome.diagnostics, where, tokenized.diagnostics);
    return std::move(tokenized.tokens);
}

// A translated program as `to` wants it: a .8xp file or its ti83p text.
Outcome finishTranslation(Outcome outcome, calc::Ti83pTranslation translation, Format to,
                          std::string_view where) {
    addDiagnostics(outcome.diagnostics, where, std::move(translation.diagnostics));
    if (to == Format::Ti83pText) {
        outcome.output = calc::listTi83pTokens(std::move(translation.tokens)).text;
        return outcome;
    }
    calc::Ti83pFileBytes file = calc::buildTi83pFile(translation.tokens, translation.name);
    if (readingFailed(outcome, where, file.diagnostics))
        return outcome;
    outcome.output = std::move(file.bytes);
    return outcome;
}

// The TI-83 Plus names of a file's programs, so that a program that calls
// another of the same file by its bare name calls it with prgm.
calc::Ti83pProgramNames siblingNames(const calc::Ti86File& file) {
    std::vector<calc::Ti86SourceProgram> named;
    for (const calc::Ti86Entry* program : calc::ti86Programs(file))
        named.push_back({program->name, {}});
    return calc::ti83pNamesForGroup(named);
}

Outcome translateFromTi86File(Outcome outcome, const calc::Ti86File& file,
                              const calc::Ti86Entry& program, calc::Ti86Listing listing,
                              const Job& job, std::string_view where) {
    const std::vector<calc::Ti86Token> tokens = listedTokens(outcome, listing, where);
    std::string name;
    if (job.to == Format::Ti83pFile) {
        const std::optional<std::string> made = nameFor(outcome, program, job, where);
        if (!made)
            return outcome;
        name = *made;
    } else {
        // Text has no program name; the menus still need a title.
        name = ti83pNameForTi86(program).name;
        if (name.empty())
            name = "PROGRAM";
    }
    calc::Ti83pTranslation translation =
        calc::translateTi86Program(tokens, name, siblingNames(file), calc::ti83pTarget(job.target));
    return finishTranslation(std::move(outcome), std::move(translation), job.to, where);
}

Outcome fromTi86File(std::string_view input, const Job& job) {
    Outcome outcome;
    const std::optional<calc::Ti86File> read = readTi86Input(outcome, input, job.where, job.label);
    if (!read)
        return outcome;
    const calc::Ti86File& file = *read;
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
    if (job.engine == Engine::Translator)
        return translateFromTi86File(std::move(outcome), file, *picked.entry, std::move(listing),
                                     job, where);
    RowsConversion rows{listing.text, handWorkFor(job, listing.text, listing.tokens)};
    std::string converted = convertProgramText(listing.text, job.engine);
    if (job.to == Format::Ti83pText) {
        if (rows.handWork)
            addHandWork(outcome, where, std::move(*rows.handWork));
        outcome.output = std::move(converted);
        return outcome;
    }
    const std::optional<std::string> name = nameFor(outcome, *picked.entry, job, where);
    if (!name)
        return outcome;
    return writeTi83pFile(std::move(outcome), keepTi86Escapes(converted), *name, where, job.label,
                          &rows);
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
    case Engine::Translator:
        break;
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
        // The rows shorten text by half at most ("==" becomes "="); the
        // translator writes no more token bytes than the text has bytes.
        if (input.size() > 2 * kMaxTextForTi83pFile)
            return tooLongForTi83p(std::move(outcome), input.size(), job.label);
        if (job.from == Format::Ti83pText)
            return writeTi83pFile(std::move(outcome), input, job.name.value_or(""), job.where,
                                  job.label);
        if (job.engine == Engine::Translator) {
            calc::Ti86Tokenized tokenized = calc::tokenizeTi86Text(input);
            std::string().swap(input);
            addDiagnostics(outcome.diagnostics, job.where, tokenized.diagnostics);
            return finishTranslation(std::move(outcome),
                                     calc::translateTi86Program(tokenized.tokens,
                                                                job.name.value_or(""), {},
                                                                calc::ti83pTarget(job.target)),
                                     job.to, job.where);
        }
        RowsConversion rows{input, handWorkFor(job, input)};
        const std::string text = keepTi86Escapes(convertProgramText(input, job.engine));
        return writeTi83pFile(std::move(outcome), text, job.name.value_or(""), job.where, job.label,
                              &rows);
    }
    if (job.engine == Engine::Translator) { // --translate on TI-86 text
        calc::Ti86Tokenized tokenized = calc::tokenizeTi86Text(input);
        std::string().swap(input);
        addDiagnostics(outcome.diagnostics, job.where, std::move(tokenized.diagnostics));
        // Text has no program name; the menus still need a title.
        const std::string title = job.name && !job.name->empty() ? *job.name : "PROGRAM";
        return finishTranslation(
            std::move(outcome),
            calc::translateTi86Program(tokenized.tokens, title, {}, calc::ti83pTarget(job.target)),
            job.to, job.where);
    }
    // ti86 text to ti83p text: the window's conversion, byte for byte, and
    // the report of what is left to do by hand.
    if (job.handWork && job.findings) {
        const std::string summary = calc::handWorkSummary(calc::findHandWorkInBatches(
            input, [&job](std::span<const calc::HandWorkFinding> found) {
                job.findings(job.where, found);
            }));
        if (!summary.empty())
            outcome.summary = "kalvo-convert: " + summary + "\n";
    } else if (std::optional<calc::HandWorkReport> handWork = handWorkFor(job, input)) {
        addHandWork(outcome, job.where, std::move(*handWork));
    }
    std::string converted = convertProgramText(input, job.engine);
    std::string().swap(input); // only one document in memory while writing
    // The window could not hold a result past the position limit either.
    if (!fitsDocument(converted.size()))
        return failed(std::move(outcome), job.label + ": " + documentTooLargeMessage());
    outcome.output = std::move(converted);
    return outcome;
}

Outcome translateAll(std::string input, const Job& job) {
    Outcome outcome;
    const std::optional<calc::Ti86File> read = readTi86Input(outcome, input, job.where, job.label);
    std::string().swap(input);
    if (!read)
        return outcome;
    const calc::Ti86File& file = *read;
    std::vector<calc::Ti86SourceProgram> group;
    std::vector<std::string> wheres;
    for (const calc::Ti86Entry* program : calc::ti86Programs(file)) {
        const std::string where = programWhere(file, *program, job.where);
        calc::Ti86Listing listing = calc::listTi86Program(*program);
        if (!listing.listed()) {
            // An assembly program has no text to translate; the others still
            // make a group.
            for (calc::Diagnostic& d : listing.diagnostics)
                if (d.severity == calc::Diagnostic::Severity::Error) {
                    d.severity = calc::Diagnostic::Severity::Warning;
                    d.message = "passed over: " + d.message;
                }
            addDiagnostics(outcome.diagnostics, where, listing.diagnostics);
            continue;
        }
        addDiagnostics(outcome.diagnostics, where, listing.diagnostics);
        std::vector<calc::Ti86Token> tokens = listedTokens(outcome, listing, where);
        group.push_back({program->name, std::move(tokens)});
        wheres.push_back(where);
    }
    if (group.empty())
        return failed(std::move(outcome), job.label + ": no BASIC program to translate");
    std::vector<calc::Ti83pTranslation> translated =
        calc::translateTi86Group(group, calc::ti83pTarget(job.target));
    group.clear();
    // Every file is made before any is written: a program too large for a
    // .8xp stops the run with nothing written.
    for (std::size_t i = 0; i < translated.size(); ++i) {
        addDiagnostics(outcome.diagnostics, wheres[i], std::move(translated[i].diagnostics));
        calc::Ti83pFileBytes built = calc::buildTi83pFile(translated[i].tokens, translated[i].name);
        if (readingFailed(outcome, wheres[i], built.diagnostics)) {
            outcome.files.clear();
            return outcome;
        }
        outcome.files.push_back(
            {calc::ti86NameToUtf8(translated[i].name) + ".8xp", std::move(built.bytes)});
    }
    return outcome;
}

Outcome listPrograms(std::string_view input, Format from, std::string_view where,
                     std::string_view label) {
    Outcome outcome;
    if (from == Format::Ti86File) {
        if (const std::optional<calc::Ti86File> file = readTi86Input(outcome, input, where, label))
            outcome.output = ti86ProgramList(*file);
    } else {
        const calc::Ti83pFile file = calc::readTi83pFile(input);
        if (!readingFailed(outcome, where, file.diagnostics))
            outcome.output = ti83pProgramName(file);
    }
    return outcome;
}

} // namespace kalvo::cli
