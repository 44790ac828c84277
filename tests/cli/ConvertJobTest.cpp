// SPDX-License-Identifier: GPL-3.0-or-later
// The job that kalvo-convert and the page in the browser share: its records
// printed are what the real command prints, each record carries the place
// and words of its line, and the files it gives are those the command writes.

#include "../CalcFileBytes.h"
#include "CommandFixture.h"

#include "ConvertJob.h"
#include "Options.h"

#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/diagnostics/DiagnosticPrinter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

struct Record {
    kalvo::cli::JobMessage::Kind kind;
    std::string where;
    std::size_t line = 0;
    std::size_t column = 0;
    std::string words;
    std::string printed;
};

struct Ran {
    kalvo::cli::JobResult result;
    std::vector<Record> records;
    std::string printed;
};

// The job with kalvo-convert's arguments, as the command parses them.
Ran runJob(const std::vector<std::string_view>& args, const std::string& input) {
    const kalvo::cli::ParsedCommandLine parsed = kalvo::cli::parseCommandLine(args);
    EXPECT_EQ(parsed.kind, kalvo::cli::ParsedCommandLine::Kind::Run) << parsed.problem;
    Ran ran;
    ran.result = kalvo::cli::runConvertJob(input, parsed.options, [&](const auto& message) {
        Record record{message.kind,
                      std::string(message.where),
                      0,
                      0,
                      std::string(message.text),
                      kalvo::cli::messageText(message)};
        if (message.diagnostic) {
            record.line = message.diagnostic->line;
            record.column = message.diagnostic->column;
            record.words = message.diagnostic->message;
        }
        ran.printed += record.printed;
        ran.records.push_back(std::move(record));
    });
    return ran;
}

class Job : public ConvertCommand {};

TEST_F(Job, PrintsWhatTheCommandPrintsAndGivesTheBytesItWrites) {
    struct Case {
        std::vector<std::string_view> args;
        const char* golden;
        std::string shell; // the same run of the real command
    };
    const std::vector<Case> cases = {
        {{"handwork.ti86.txt"}, "handwork.ti86.txt", "handwork.ti86.txt"},
        {{"-f", "ti86", "handwork.ti86.txt", "-o", "HW.8xp"},
         "handwork.ti86.txt",
         "-f ti86 handwork.ti86.txt -o HW.8xp"},
        {{"--table", "damaged.86p", "-o", "D.8xp"}, "damaged.86p", "--table damaged.86p -o D.8xp"},
        {{"group.86g", "-t", "ti86", "--program", "@2"},
         "group.86g",
         "group.86g -t ti86 --program @2"},
        {{"-q", "truncated.86p", "-t", "8xp"}, "truncated.86p", "-q truncated.86p -t 8xp"},
    };
    for (const Case& c : cases) {
        const std::string input = goldenCalcFile(c.golden);
        write(c.golden, input);
        const std::string native = run(c.shell + " > out.bin");
        const Ran ran = runJob(c.args, input);
        EXPECT_EQ(std::to_string(ran.result.status) + "||" + ran.printed, native) << c.shell;
        if (ran.result.status == 0) {
            const bool toStdout = c.shell.find(" -o ") == std::string::npos;
            EXPECT_EQ(ran.result.output, read(toStdout ? "out.bin" : std::string(c.args.back())))
                << c.shell;
        }
    }
}

TEST_F(Job, RecordsCarryThePlaceAndWordsOfEachLine) {
    const Ran ran = runJob({"handwork.ti86.txt"}, goldenCalcFile("handwork.ti86.txt"));
    ASSERT_GE(ran.records.size(), 3u);
    const Record& first = ran.records.front();
    EXPECT_EQ(first.kind, kalvo::cli::JobMessage::Kind::Finding);
    EXPECT_EQ(first.where, "handwork.ti86.txt");
    EXPECT_EQ(first.line, 2u);
    EXPECT_EQ(first.column, 4u);
    EXPECT_EQ(first.printed, "handwork.ti86.txt:2:4: warning: " + first.words + "\n");
    // The summary comes last, after every finding, as the command prints it.
    EXPECT_EQ(ran.records.back().kind, kalvo::cli::JobMessage::Kind::Summary);
    for (std::size_t i = 0; i + 1 < ran.records.size(); ++i)
        EXPECT_EQ(ran.records[i].kind, kalvo::cli::JobMessage::Kind::Finding) << i;
}

TEST_F(Job, AllGivesTheFolderFilesAndAUsageErrorItsHelpLines) {
    const std::string group = goldenCalcFile("group.86g");
    write("group.86g", group);
    ASSERT_EQ(run("--all group.86g -o out").substr(0, 2), "0|");
    const Ran all = runJob({"--all", "group.86g", "-o", "out"}, group);
    ASSERT_EQ(all.result.status, 0);
    EXPECT_TRUE(all.result.output.empty());
    ASSERT_FALSE(all.result.files.empty());
    for (const kalvo::cli::ProgramFile& file : all.result.files)
        EXPECT_EQ(file.bytes, read("out/" + file.fileName)) << file.fileName;
    EXPECT_EQ(all.result.files.size(), static_cast<std::size_t>(std::distance(
                                           std::filesystem::directory_iterator(dir / "out"), {})));

    // Text into an 8xp without -f: refused after reading, with the usage lines.
    write("t.txt", ":Disp 1\r\n");
    const Ran refused = runJob({"t.txt", "-o", "T.8xp"}, ":Disp 1\r\n");
    EXPECT_EQ(refused.result.status, 2);
    ASSERT_EQ(refused.records.size(), 1u);
    EXPECT_EQ(refused.records[0].kind, kalvo::cli::JobMessage::Kind::UsageError);
    EXPECT_EQ("2||" + refused.printed, run("t.txt -o T.8xp"));
}

} // namespace

namespace {

// A sink of the report's findings, which the command prints straight into
// its buffer: its batches reach it in order and before the summary, so that
// what the two sinks print together is what the message sink alone prints.
TEST(JobFindings, BatchesComeInOrderBeforeTheSummary) {
    std::string text;
    for (int k = 0; k < 300; ++k)
        text += ":Lbl LONG" + std::to_string(k) + "\r\n:Disp x,MONEY\r\n";
    const std::vector<std::string_view> args = {"-", "-f", "ti86", "-t", "ti83p"};
    const Ran alone = runJob(args, text);
    const kalvo::cli::ParsedCommandLine parsed = kalvo::cli::parseCommandLine(args);
    std::string printed;
    std::size_t batches = 0, findings = 0;
    const kalvo::cli::JobResult result = kalvo::cli::runConvertJob(
        text, parsed.options,
        [&](const kalvo::cli::JobMessage& message) {
            EXPECT_NE(message.kind, kalvo::cli::JobMessage::Kind::Finding);
            printed += kalvo::cli::messageText(message);
        },
        [&](std::string_view where, std::span<const kalvo::calc::HandWorkFinding> found) {
            ++batches;
            for (const kalvo::calc::HandWorkFinding& f : found) {
                kalvo::calc::printFinding(printed, where,
                                          kalvo::calc::diagnosticKind(f.id).severity, f.line,
                                          f.column, f.message);
                ++findings;
            }
        });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, alone.result.output);
    EXPECT_GT(batches, 1u);
    EXPECT_EQ(findings, 900u); // each line's label, x and MONEY
    EXPECT_EQ(printed, alone.printed);
    EXPECT_NE(printed.find("kalvo-convert: 300 uses of labels"), std::string::npos);
}

} // namespace
