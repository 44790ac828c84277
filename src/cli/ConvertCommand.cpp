// SPDX-License-Identifier: GPL-3.0-or-later
// kalvo-convert: the conversion of the "Convert to 8xp" button for scripts and
// batch work, and the way between TI-86 program files and TI-83 Plus ones.
// Results on standard output or in OUTPUT, nothing else on standard output.

#include "ConvertCommand.h"

#include "ConvertJob.h"
#include "Options.h"

#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/diagnostics/DiagnosticPrinter.h"
#include "document/TextBox.h"
#include "files/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <span>
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
    JobMessage message;
    message.kind = JobMessage::Kind::UsageError;
    message.text = problem;
    writeErr(messageText(message));
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

// Standard error as the job speaks, gathered into large writes; what is
// said reaches the stream before anything is written to the output.
class ErrWriter {
public:
    ~ErrWriter() { flush(); }
    void operator()(const JobMessage& message) {
        appendMessageText(pending_, message);
        if (pending_.size() >= 64 * 1024)
            flush();
    }
    // A batch of the report's findings, printed straight into the buffer.
    void findings(std::string_view where, std::span<const calc::HandWorkFinding> found) {
        calc::printFindings(pending_, where, found);
        if (pending_.size() >= 64 * 1024)
            flush();
    }
    void flush() {
        writeErr(pending_);
        pending_.clear();
    }

private:
    std::string pending_;
};

// Whether `path` is a file the user marked read-only (not one in a folder
// we may not change, which --force cannot help with).
bool readOnlyFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    constexpr mode_t anyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    return (st.st_mode & anyWrite) == 0 || ::access(path.c_str(), W_OK) != 0;
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
        if (error == std::errc::permission_denied && !options.force && readOnlyFile(options.output))
            return fail(options.output,
                        error.message() + ": the file is read-only; --force replaces it");
        return fail(options.output, error.message());
    }
    return 0;
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

// --all's files into FOLDER/NAME.8xp, each written as -o writes one; the
// first that cannot be written ends the run.
int writeEveryProgram(const Options& options, const std::vector<ProgramFile>& files) {
    if (!prepareFolder(options.output))
        return fail(options.output, systemReason());
    for (const ProgramFile& file : files) {
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
        return fail(options.input == kStandardStream ? "standard input" : options.input, problem);
    JobResult result;
    {
        ErrWriter err;
        result = runConvertJob(
            std::move(*input), options, std::ref(err),
            [&err](std::string_view where, std::span<const calc::HandWorkFinding> found) {
                err.findings(where, found);
            });
    }
    if (result.status != 0)
        return result.status;
    if (options.all)
        return writeEveryProgram(options, result.files);
    return options.list ? printToStdout(result.output) : writeOutput(options, result.output);
}

} // namespace kalvo::cli
