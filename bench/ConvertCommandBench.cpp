// SPDX-License-Identifier: GPL-3.0-or-later
// kalvo-convert from TI-86 program files to TI-83 Plus ones: 1,000 .86p
// files of one 2 KiB program each, each listed, converted (with the 81 rows,
// or translated), tokenized and written as .8xp bytes by the command's own
// code. Goals on the 2-core development machine: the translated batch under
// 1 s; the hand-work report adds at most 20% to the rows' batch. Beside
// them, the default text run with and without the report, and the whole
// command on real files (read, convert, write safely with its fsyncs), as a
// batch loop over a folder runs it.

#include "ConvertCommand.h"
#include "Pipeline.h"

#include "Ti86FileBytes.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using kalvo::bench::ti86File;
using kalvo::bench::ti86ProgramBytes;

const std::vector<std::string>& files() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> out;
        for (unsigned i = 0; i < 1000; ++i)
            out.push_back(ti86File(ti86ProgramBytes(2048, i)));
        return out;
    }();
    return all;
}

// The 2 KiB programs as the `ti86` text a user converts (their listings).
const std::vector<std::string>& texts() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> out;
        for (const std::string& file : files()) {
            kalvo::cli::Job job;
            job.from = kalvo::cli::Format::Ti86File;
            job.to = kalvo::cli::Format::Ti86Text;
            out.push_back(kalvo::cli::runJob(file, job).output);
        }
        return out;
    }();
    return all;
}

// The whole path in memory, from the file's bytes to the .8xp bytes and
// the lines on stderr: reading, listing, the engine, tokenizing, building.
// Arguments: the engine (0 the 81 rows, 1 the translator) and, for the
// rows, whether the hand-work report is made (1) or not, as with -q (0).
void ThousandFilesOf2KiBTo8xp(benchmark::State& state) {
    kalvo::cli::Job job;
    job.from = kalvo::cli::Format::Ti86File;
    job.to = kalvo::cli::Format::Ti83pFile;
    job.engine =
        state.range(0) == 0 ? kalvo::cli::Engine::TableRows : kalvo::cli::Engine::Translator;
    job.handWork = state.range(1) != 0;
    std::size_t written = 0;
    for (auto _ : state) {
        for (const std::string& file : files()) {
            const kalvo::cli::Outcome outcome = kalvo::cli::runJob(file, job);
            if (outcome.failure)
                state.SkipWithError("a program did not convert");
            written += outcome.output.size() + outcome.diagnostics.size();
        }
    }
    benchmark::DoNotOptimize(written);
}

// The default text run (ti86 to ti83p text, the 81 rows), with the report
// (1) and without (0).
void ThousandTextsOf2KiB(benchmark::State& state) {
    kalvo::cli::Job job;
    job.handWork = state.range(0) != 0;
    std::size_t written = 0;
    for (auto _ : state) {
        for (const std::string& text : texts()) {
            const kalvo::cli::Outcome outcome = kalvo::cli::runJob(text, job);
            written += outcome.output.size() + outcome.diagnostics.size();
        }
    }
    benchmark::DoNotOptimize(written);
}

// The command itself, one run per file, as `for f in *.86p` calls it: read,
// convert, write safely with its fsyncs, stderr to /dev/null. Arguments as
// for ThousandFilesOf2KiBTo8xp.
void ThousandFilesOf2KiBTo8xpOnDisk(benchmark::State& state) {
    const fs::path dir = fs::temp_directory_path() / ("kalvo-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::vector<std::string> inputs, outputs;
    for (std::size_t i = 0; i < files().size(); ++i) {
        inputs.push_back((dir / ("GAME" + std::to_string(i) + ".86p")).string());
        outputs.push_back((dir / ("GAME" + std::to_string(i) + ".8xp")).string());
        std::ofstream(inputs.back(), std::ios::binary) << files()[i];
    }
    // The lines are made and written; where they go is not what is measured.
    if (std::freopen("/dev/null", "w", stderr) == nullptr)
        state.SkipWithError("stderr cannot be silenced");
    const std::string_view engine = state.range(0) == 0 ? "--table" : "--translate";
    for (auto _ : state) {
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            std::vector<std::string_view> args = {engine, inputs[i], "-o", outputs[i]};
            if (state.range(1) == 0)
                args.push_back("-q");
            if (kalvo::cli::convertCommand(args) != 0)
                state.SkipWithError("a program did not convert");
        }
    }
    fs::remove_all(dir);
}

} // namespace

// {0, 1} the rows with the report, {0, 0} without it, {1, 1} the translator.
BENCHMARK(ThousandFilesOf2KiBTo8xp)
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ThousandTextsOf2KiB)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(ThousandFilesOf2KiBTo8xpOnDisk)
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

BENCHMARK_MAIN();
