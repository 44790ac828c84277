// kalvo-convert: the conversion of the "Convert to 8xp" button for scripts and
// batch work. Bytes in, converted bytes out, nothing else on standard output.

#include "conversion/ConversionRun.h"
#include "document/TextBox.h"
#include "files/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <signal.h>
#include <unistd.h>

#ifndef KALVO_VERSION
#error "KALVO_VERSION must be defined by the build"
#endif

namespace kalvo {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgram = "kalvo-convert";
constexpr std::string_view kStandardStream = "-";

constexpr std::string_view kUsage = "Usage: kalvo-convert [INPUT] [-o OUTPUT]\n";

constexpr std::string_view kHelp =
    R"(Rewrites the text of a TI-86 BASIC program into TI-83 Plus spellings, with the
same 81-row token table as Kalvo's "Convert to 8xp" button.

INPUT is read as bytes (Windows-1252 text; line ends stay as they are). Without
INPUT, or when INPUT is "-", standard input is read. The result goes to OUTPUT,
or to standard output without -o or when OUTPUT is "-". OUTPUT may name INPUT
itself. Input longer than 2147483647 bytes is refused.

An existing OUTPUT file is replaced only once the whole result is written and
on disk: a failure or an interruption leaves it as it was, and no temporary
file behind. The new file keeps the old one's mode, owner and group where
kalvo-convert may set them (set-id bits are dropped when it may not). A
symbolic link is followed and kept, and its target written; a link that leads
nowhere is refused. Other hard links to the file keep the old content. A
read-only OUTPUT is refused unless --force is given. An OUTPUT that is not a
regular file (a device, a FIFO, /dev/stdout, /dev/fd/N) is written into as it
stands, never replaced.

Options:
  -o OUTPUT      write the result to OUTPUT
      --force    replace OUTPUT even when it is read-only (its mode is kept)
  -h, --help     show this help and exit
      --version  show the version and exit
  --             end of options, for an INPUT whose name begins with "-"

Exit status: 0 when converted, 1 when the input cannot be read or the output
cannot be written, 2 for a wrong command line. When the reader of the output
stops early (a closed pipe), kalvo-convert ends quietly, as other filters do:
killed by SIGPIPE, which shells report as 141.

Labels, gotos, menus and long variable names still need editing by hand after
the conversion, as Kalvo's closing messages explain.

Examples:
  kalvo-convert GAME.86.txt -o GAME.83p.txt
  kalvo-convert < GAME.86.txt > GAME.83p.txt
  kalvo-convert GAME.txt -o GAME.txt              # convert in place

  # Every program of the folder programs/ into the folder converted/:
  mkdir -p converted
  for f in programs/*.txt; do
      kalvo-convert "$f" -o "converted/${f##*/}" || break
  done
)";

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
    text.append(kUsage);
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

struct Arguments {
    std::string input{kStandardStream};
    std::string output{kStandardStream};
    bool force = false;
};

// Returns the exit status when the command line is already answered (help,
// version, a usage error), nothing when there is a conversion to run.
std::optional<int> parseArguments(const std::vector<std::string_view>& args, Arguments& parsed) {
    bool haveInput = false;
    bool haveOutput = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg.front() == '-';
        if (!isOption) {
            if (haveInput)
                return usageError("unexpected argument '" + std::string(arg) + "'");
            parsed.input = arg;
            haveInput = true;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            std::string text(kUsage);
            text.append("\n").append(kHelp);
            return printToStdout(text);
        } else if (arg == "--version") {
            return printToStdout(std::string(kProgram) + " " + KALVO_VERSION + "\n");
        } else if (arg == "--force") {
            parsed.force = true;
        } else if (arg == "-o") {
            if (haveOutput)
                return usageError("-o given more than once");
            if (i + 1 == args.size())
                return usageError("-o needs a file name");
            parsed.output = args[++i];
            haveOutput = true;
        } else {
            return usageError("unknown option '" + std::string(arg) + "'");
        }
    }
    return std::nullopt;
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
    if (error == std::errc::file_too_large) {
        try {
            checkDocumentSize(static_cast<std::size_t>(kMaxDocumentLength) + 1);
        } catch (const std::length_error& tooLarge) {
            problem = tooLarge.what(); // the window's words for the same limit
        }
    }
    return std::nullopt;
}

std::string_view nameOf(const std::string& path, std::string_view standardName) {
    return path == kStandardStream ? standardName : std::string_view(path);
}

int convertCommand(const std::vector<std::string_view>& args) {
    Arguments parsed;
    if (const std::optional<int> answered = parseArguments(args, parsed))
        return *answered;

    std::string problem;
    std::optional<std::string> document = readInput(parsed.input, problem);
    if (!document)
        return fail(nameOf(parsed.input, "standard input"), problem);

    std::string converted = convertText(*document);
    document.reset(); // only one document in memory while writing
    try {
        // The window could not hold a result past the position limit either.
        checkDocumentSize(converted.size());
    } catch (const std::length_error& tooLarge) {
        return fail(nameOf(parsed.input, "standard input"), tooLarge.what());
    }

    if (parsed.output == kStandardStream)
        return printToStdout(converted);
    std::error_code error;
    WriteRules rules;
    rules.replaceReadOnly = parsed.force;
    if (!writeFileReplacing(parsed.output, converted, error, rules)) {
        if (error == std::errc::broken_pipe)
            endOfPipe();
        return fail(parsed.output, error.message());
    }
    return 0;
}

} // namespace
} // namespace kalvo

int main(int argc, char** argv) {
    // A file-size limit (ulimit -f) is a write error to report, not a kill.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, nullptr);
    std::vector<std::string_view> args(argv + 1, argv + argc);
    try {
        return kalvo::convertCommand(args);
    } catch (const std::bad_alloc&) {
        kalvo::writeErr("kalvo-convert: out of memory\n");
    } catch (const std::exception& error) {
        kalvo::writeErr(std::string("kalvo-convert: ") + error.what() + "\n");
    }
    return 1;
}
