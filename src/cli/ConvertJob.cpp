// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertJob.h"

#include "DiagnosticLines.h"

#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/diagnostics/DiagnosticPrinter.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti86/Ti86File.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvo::cli {
namespace {

constexpr std::string_view kProgram = "kalvo-convert";

std::string nameOf(const std::string& path, std::string_view standardName) {
    return path == kStandardStream ? std::string(standardName) : path;
}

bool isText(Format format) {
    return format == Format::Ti86Text || format == Format::Ti83pText;
}

int usageError(const MessageSink& sink, const std::string& problem) {
    JobMessage message;
    message.kind = JobMessage::Kind::UsageError;
    message.text = problem;
    sink(message);
    return 2;
}

// Findings, errors last, and the report's summary line (-q keeps only
// errors), then the failure if any; the exit status. An error that follows
// notes or warnings is said again at the end, where it is seen.
int report(const Outcome& outcome, bool quiet, const MessageSink& sink) {
    JobMessage message;
    std::vector<const LocatedDiagnostic*> errors;
    bool othersSaid = false;
    for (const LocatedDiagnostic& found : outcome.diagnostics) {
        if (found.diagnostic.severity == calc::Diagnostic::Severity::Error) {
            errors.push_back(&found);
        } else if (!quiet) {
            message.where = found.where;
            message.diagnostic = &found.diagnostic;
            sink(message);
            othersSaid = true;
        }
    }
    for (const LocatedDiagnostic* found : errors) {
        message.where = found->where;
        message.diagnostic = &found->diagnostic;
        sink(message);
    }
    message = {};
    if (!quiet && !outcome.summary.empty()) {
        message.kind = JobMessage::Kind::Summary;
        message.text = outcome.summary;
        sink(message);
    }
    if (othersSaid && !errors.empty()) {
        std::string again = cli::diagnosticLine(errors.front()->where, errors.front()->diagnostic);
        again.pop_back(); // the recap's own line break follows
        if (errors.size() > 1)
            again = std::to_string(errors.size()) + " errors, the first: " + again;
        message.kind = JobMessage::Kind::Recap;
        message.text = again;
        sink(message);
    }
    if (outcome.failure && !outcome.failure->message.empty()) {
        message.kind = JobMessage::Kind::Failure;
        message.text = outcome.failure->message;
        sink(message);
    }
    return outcome.failure ? outcome.failure->status : 0;
}

// Text given as -f ti86 or -f ti83p that is a calculator file (its
// signature and at least one readable entry): listed or tokenized as text,
// its bytes would make nonsense. The command line is wrong, so one line
// says what the input is.
std::optional<std::string> calculatorFileAsText(const Options& options, std::string_view input) {
    if (!options.from || !isText(*options.from))
        return std::nullopt;
    std::string what;
    if (calc::looksLikeTi86File(input) && input.size() <= calc::kTi86MaxFileBytes &&
        calc::readTi86File(input).readable())
        what = "a TI-86 file (86p)";
    else if (calc::looksLikeTi83pFile(input) && input.size() <= calc::kTi83pMaxFileBytes &&
             calc::readTi83pFile(input).readable())
        what = "a TI-83 Plus file (8xp)";
    else
        return std::nullopt;
    const std::string given(formatName(*options.from));
    return nameOf(options.input, "standard input") + " is " + what + ", not " + given +
           " text; leave out -f " + given + " and kalvo-convert reads it as a file";
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
    if (route == nullptr) {
        std::string targets;
        for (const Format to : formatsMadeFrom(from))
            targets += (targets.empty() ? "" : ", ") + std::string(formatName(to));
        return "there is no conversion from " + pair + "; " + std::string(formatName(from)) +
               (targets.empty() ? " is not read" : " converts to " + targets) +
               " (-t FORMAT; --help lists every pair)";
    }
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

// Every program of the input, each as the file FOLDER/NAME.8xp would hold.
JobResult translateEveryProgram(const Options& options, Format from, std::string input,
                                const MessageSink& sink) {
    JobResult result;
    if (from != Format::Ti86File) {
        result.status = usageError(sink, "--all needs a TI-86 file (86p); the input is " +
                                             std::string(formatName(from)));
        return result;
    }
    Job job;
    job.from = from;
    job.to = Format::Ti83pFile;
    job.engine = Engine::Translator;
    job.where = options.input;
    job.label = nameOf(options.input, "standard input");
    job.target = options.target;
    Outcome outcome = translateAll(std::move(input), job);
    result.status = report(outcome, options.quiet, sink);
    if (result.status == 0)
        result.files = std::move(outcome.files);
    return result;
}

} // namespace

std::string messageText(const JobMessage& message) {
    std::string text;
    appendMessageText(text, message);
    return text;
}

void appendMessageText(std::string& text, const JobMessage& message) {
    switch (message.kind) {
    case JobMessage::Kind::Finding:
        calc::printDiagnostic(text, message.where, *message.diagnostic);
        return;
    case JobMessage::Kind::Summary:
        text.append(message.text);
        return;
    case JobMessage::Kind::Failure:
    case JobMessage::Kind::Recap:
        text.append(kProgram).append(": ").append(message.text).append("\n");
        break;
    case JobMessage::Kind::UsageError:
        text.append(kProgram).append(": ").append(message.text).append("\n");
        text.append(usageLine());
        text.append("Try 'kalvo-convert --help' for more information.\n");
        break;
    }
}

JobResult runConvertJob(std::string input, const Options& options, const MessageSink& sink,
                        const FindingsSink& findings) {
    if (const std::optional<std::string> wrong = calculatorFileAsText(options, input)) {
        JobMessage message;
        message.kind = JobMessage::Kind::Failure;
        message.text = *wrong;
        sink(message);
        return JobResult{2, {}, {}};
    }
    const Format from = options.from ? *options.from : detectInputFormat(input);
    if (options.all)
        return translateEveryProgram(options, from, std::move(input), sink);

    JobResult result;
    if (options.list) {
        if (isText(from)) {
            result.status =
                usageError(sink, "--list needs a calculator file (86p or 8xp); the input is " +
                                     std::string(formatName(from)) + " text");
            return result;
        }
        Outcome listed =
            listPrograms(input, from, options.input, nameOf(options.input, "standard input"));
        result.status = report(listed, options.quiet, sink);
        if (result.status == 0)
            result.output = std::move(listed.output);
        return result;
    }

    Job job;
    LocatedDiagnostics naming;
    if (const std::optional<std::string> wrong = planJob(options, from, job, naming)) {
        result.status = usageError(sink, *wrong);
        return result;
    }
    // The report's findings said as they are made; they come first, as
    // report() would put them.
    if (naming.empty() && !options.quiet && findings)
        job.findings = findings;
    else if (naming.empty() && !options.quiet)
        job.findings = [&sink](std::string_view where,
                               std::span<const calc::HandWorkFinding> found) {
            JobMessage message;
            message.where = where;
            calc::Diagnostic d;
            for (const calc::HandWorkFinding& f : found) {
                d.severity = calc::diagnosticKind(f.id).severity;
                d.line = f.line;
                d.column = f.column;
                d.message.assign(f.message);
                d.id = f.id;
                message.diagnostic = &d;
                sink(message);
            }
        };
    Outcome outcome = runJob(std::move(input), job);
    outcome.diagnostics.insert(outcome.diagnostics.begin(), naming.begin(), naming.end());
    result.status = report(outcome, options.quiet, sink);
    if (result.status == 0)
        result.output = std::move(outcome.output);
    return result;
}

} // namespace kalvo::cli
