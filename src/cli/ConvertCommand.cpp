// SPDX-License-Identifier: GPL-3.0-or-later
// kalvo-convert: the conversion of the "Convert to 8xp" button for scripts and
// batch work, and the way between TI-86 program files and TI-83 Plus ones.
// Results on standard output or in OUTPUT, nothing else on standard output.

#include "ConvertCommand.h"

#include "DiagnosticLines.h"
#include "Options.h"
#include "Pipeline.h"

#include "document/TextBox.h"
#include "files/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef KALVO_VERSION
#error "KALVO_VERSION must be defined by the build"
#endif

namespace kalvo::cli {
namespace {

constexpr std::string_view kProgram = "kalvo-convert";

void writeErr(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
}

// One line on stderr: the program, what it was working on, why it failed.
int fail(std::string_view what, std::string_view reason) {
    std::string line;
    line.append(kProgram).append(": ").append(what).append(": ").append(reason).append("\n");
    writeErr(line);
    return 1;
}

int usageError(std::string_view problem) {
    std::string text;
    text.append(kProgram).append(": ").append(problem).append("\n");
    text.append(usageLine());
    text.append("Try 'kalvo-convert --help' for more information.\n");
    writeErr(text);
    return 2;
}

std::string systemReason() {
    return std::generic_category().message(errno != 0 ? errno : EIO);
}

// A reader that went away is no error to report: end as a filter does, by
// SIGPIPE, even when the caller ignores it.
[[noreturn]] void endOfPipe() {
    struct sigaction fatal {};
    fatal.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &fatal, nullptr);
    sigset_t pipeOnly;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    ::sigprocmask(SIG_UNBLOCK, &pipeOnly, nullptr);
    ::raise(SIGPIPE);
    std::_Exit(128 + SIGPIPE);
}

int printToStdout(std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        if (errno == EPIPE)
            endOfPipe();
        return fail("standard output", systemReason());
    }
    return 0;
}

// The whole input, or nothing with the reason in `problem`. Standard input
// that is a file is checked against the limit before any of it is read, as a
// named file is; anything else is read up to the limit and no further.
std::optional<std::string> readInput(const std::string& input, std::string& problem) {
    std::error_code error;
    std::optional<std::string> bytes =
        input == kStandardStream ? readDescriptor(STDIN_FILENO, error) : readFile(input, error);
    if (bytes)
        return bytes;
    problem = error.message();
    if (error == std::errc::file_too_large)
        problem = documentTooLargeMessage(); // the window's words for the same limit
    return std::nullopt;
}

std::string nameOf(const std::string& path, std::string_view standardName) {
    return path == kStandardStream ? std::string(standardName) : path;
}

bool isText(Format format) {
    return format == Format::Ti86Text || format == Format::Ti83pText;
}

// Findings on stderr and the report's summary line (-q keeps only errors),
// then the failure if any; the exit status.
int report(const Outcome& outcome, bool quiet) {
    std::string lines;
    for (const LocatedDiagnostic& found : outcome.diagnostics)
        if (!quiet || found.diagnostic.severity == calc::Diagnostic::Severity::Error)
            lines += diagnosticLine(found.where, found.diagnostic);
    if (!quiet)
        lines += outcome.summary;
    if (outcome.failure && !outcome.failure->message.empty())
        lines.append(kProgram).append(": ").append(outcome.failure->message).append("\n");
    writeErr(lines);
    return outcome.failure ? outcome.failure->status : 0;
}

int writeOutput(const Options& options, const std::string& bytes) {
    if (options.output == kStandardStream)
        return printToStdout(bytes);
    std::error_code error;
    WriteRules rules;
    rules.replaceReadOnly = options.force;
    if (!writeFileReplacing(options.output, bytes, error, rules)) {
        if (error == std::errc::broken_pipe)
            endOfPipe();
        return fail(options.output, error.message());
    }
    return 0;
}

// The rest of the command line's checks, now that the input's format is
// known; fills in the job, or returns the usage error's text.
std::optional<std::string> planJob(const Options& options, Format from, Job& job,
                                   LocatedDiagnostics& found) {
    const std::string pair =
        std::string(formatName(from)) + " to " + std::string(formatName(options.to));
    if (options.program && isText(from))
        return "--program needs a calculator file (86p or 8xp); the input is " +
               std::string(formatName(from)) + " text";
    if (!options.from && from == Format::Ti86Text && options.to == Format::Ti83pFile)
        return "text into an 8xp file needs -f: -f ti86 for TI-86 text (translated first), "
               "-f ti83p for text already in TI-83 Plus spellings (converted in the window or "
               "by kalvo-convert); a program must not be converted twice";
    const Route* route = findRoute(from, options.to);
    if (route == nullptr)
        return "kalvo-convert does not convert " + pair;
    if ((options.table || options.translate) && route->engine == Engine::None)
        return std::string(options.table ? "--table" : "--translate") +
               " picks how a program is converted; " + pair + " converts nothing";
    job.from = from;
    job.to = options.to;
    job.engine = chooseEngine(*route, options.table       ? EngineChoice::Table
                                      : options.translate ? EngineChoice::Translate
                                                          : EngineChoice::Default);
    job.where = options.input;
    job.label = nameOf(options.input, "standard input");
    job.program = options.program;
    job.name = options.name;
    job.handWork = !options.quiet; // -q would print none of it
    job.target = options.target;
    if (job.engine == Engine::Translator && from == Format::Ti86Text &&
        options.to == Format::Ti83pText) // the title of its menus
        job.name = ti83pNameForPath(options.input == kStandardStream ? "" : options.input).name;
    if (options.to == Format::Ti83pFile && !job.name && isText(from)) {
        const std::string output = options.output == kStandardStream ? "" : options.output;
        const calc::Ti83pProgramName made = ti83pNameForPath(output);
        if (made.name.empty())
            return made.diagnostics.front().message;
        addDiagnostics(found, nameOf(options.output, "-"), made.diagnostics);
        job.name = made.name;
    }
    return std::nullopt;
}

// --all's folder: made when missing (its parent must exist), as mkdir
// makes it; anything else by that name is refused.
bool prepareFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0777) == 0)
        return true;
    const int made = errno;
    struct stat st {};
    if (made == EEXIST && ::stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    errno = made;
    return false;
}

// Every program of the input into FOLDER/NAME.8xp, each file written as -o
// writes one; the first that cannot be written ends the run.
int translateEveryProgram(const Options& options, Format from, std::string input) {
    if (from != Format::Ti86File)
        return usageError("--all needs a TI-86 file (86p); the input is " +
                          std::string(formatName(from)));
    Job job;
    job.from = from;
    job.to = Format::Ti83pFile;
    job.engine = Engine::Translator;
    job.where = options.input;
    job.label = nameOf(options.input, "standard input");
    job.target = options.target;
    const Outcome outcome = translateAll(std::move(input), job);
    if (const int status = report(outcome, options.quiet); status != 0)
        return status;
    if (!prepareFolder(options.output))
        return fail(options.output, systemReason());
    for (const ProgramFile& file : outcome.files) {
        Options one = options;
        one.output = options.output + (options.output.ends_with('/') ? "" : "/") + file.fileName;
        if (const int status = writeOutput(one, file.bytes); status != 0)
            return status;
    }
    return 0;
}

} // namespace

int convertCommand(const std::vector<std::string_view>& args) {
    const ParsedCommandLine parsed = parseCommandLine(args);
    switch (parsed.kind) {
    case ParsedCommandLine::Kind::Help:
        return printToStdout(std::string(usageLine()) + "\n" + std::string(helpText()));
    case ParsedCommandLine::Kind::Version:
        return printToStdout(std::string(kProgram) + " " + KALVO_VERSION + "\n");
    case ParsedCommandLine::Kind::UsageError:
        return usageError(parsed.problem);
    case ParsedCommandLine::Kind::Run:
        break;
    }
    const Options& options = parsed.options;

    std::string problem;
    std::optional<std::string> input = readInput(options.input, problem);
    if (!input)
        return fail(nameOf(options.input, "standard input"), problem);
    const Format from = options.from ? *options.from : detectInputFormat(*input);

    if (options.all)
        return translateEveryProgram(options, from, std::move(*input));

    if (options.list) {
        if (isText(from))
            return usageError("--list needs a calculator file (86p or 8xp); the input is " +
                              std::string(formatName(from)) + " text");
        const Outcome listed =
            listPrograms(*input, from, options.input, nameOf(options.input, "standard input"));
        const int status = report(listed, options.quiet);
        return status != 0 ? status : printToStdout(listed.output);
    }

    Job job;
    LocatedDiagnostics naming;
    if (const std::optional<std::string> wrong = planJob(options, from, job, naming))
        return usageError(*wrong);
    Outcome outcome = runJob(std::move(*input), job);
    input.reset();
    outcome.diagnostics.insert(outcome.diagnostics.begin(), naming.begin(), naming.end());
    if (const int status = report(outcome, options.quiet); status != 0)
        return status;
    return writeOutput(options, outcome.output);
}

} // namespace kalvo::cli
