// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Options.h"
#include "Pipeline.h"

#include "calcfiles/diagnostics/Diagnostic.h"
#include "calcfiles/report/HandWork.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What kalvo-convert does to one input, in memory: bytes and options in,
// what it says as records, the files it would write as bytes, and its exit
// status out. The command prints and writes what this gives; the page in the
// browser shows it. Nothing here touches a file or a stream.
namespace kalvo::cli {

// One thing the command says on standard error. The views are valid only
// during the call of the sink that receives it.
struct JobMessage {
    enum class Kind {
        Finding,    // a note, warning or error about a file or a program
        Summary,    // the hand-work report's count line
        Failure,    // why there is no output
        UsageError, // a command line that does not fit the input
        Recap,      // the first error again, at the end, after notes and warnings
    };
    Kind kind = Kind::Finding;
    std::string_view where;                       // Finding: "FILE" or "FILE(PROGRAM)"
    const calc::Diagnostic* diagnostic = nullptr; // Finding: severity, line, column, offset, words
    std::string_view text;                        // the others: their words
};

// Receives each message as it is made, in the order the command prints them.
using MessageSink = std::function<void(const JobMessage&)>;

// Receives findings of the hand-work report in batches, in order, where a
// sink of their own is cheaper than a message each (the command prints
// them straight into its buffer). Without one they reach the MessageSink.
using FindingsSink =
    std::function<void(std::string_view where, std::span<const calc::HandWorkFinding> found)>;

// The exact text kalvo-convert prints for `message`, line break included.
std::string messageText(const JobMessage& message);

// The same appended to `text`.
void appendMessageText(std::string& text, const JobMessage& message);

struct JobResult {
    int status = 0;                 // the exit status, unless writing fails afterwards
    std::string output;             // the bytes for OUTPUT (or what --list prints)
    std::vector<ProgramFile> files; // --all: the files for the folder, instead of `output`
};

// Runs the command `options` describe on `input`, the bytes of the file
// options.input names. A zero status means `output` (or `files`) is to be
// written; anything else ends the command with nothing written. -q keeps
// the sink to errors and failures, as it keeps standard error.
JobResult runConvertJob(std::string input, const Options& options, const MessageSink& sink,
                        const FindingsSink& findings = {});

} // namespace kalvo::cli
