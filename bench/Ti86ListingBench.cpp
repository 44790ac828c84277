// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and listing TI-86 program files. Goal on the 2-core development
// machine: 1,000 files of one 2 KiB program each, read and listed, in under
// 0.5 s. Also one program of 64 KiB (near the largest a file can hold), and
// tokenizing that listing back.

#include "calcfiles/ti86/Ti86File.h"
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/ti86/Ti86Tokens.h"

#include "Ti86FileBytes.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace kalvo::calc;

using kalvo::bench::ti86File;
using kalvo::bench::ti86ProgramBytes;

std::size_t readAndList(const std::string& file) {
    const Ti86File read = readTi86File(file);
    std::size_t bytes = 0;
    for (const Ti86Entry* program : ti86Programs(read))
        bytes += listTi86Program(*program).text.size();
    return bytes;
}

void ListThousandFilesOf2KiB(benchmark::State& state) {
    std::vector<std::string> files;
    for (unsigned i = 0; i < 1000; ++i)
        files.push_back(ti86File(ti86ProgramBytes(2048, i)));
    for (auto _ : state) {
        std::size_t text = 0;
        for (const std::string& file : files)
            text += readAndList(file);
        benchmark::DoNotOptimize(text);
    }
}

void ListOne64KiBProgram(benchmark::State& state) {
    const std::string file = ti86File(ti86ProgramBytes(65000, 64));
    for (auto _ : state)
        benchmark::DoNotOptimize(readAndList(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

void Tokenize64KiBListing(benchmark::State& state) {
    const Ti86File read = readTi86File(ti86File(ti86ProgramBytes(65000, 64)));
    const std::string text = listTi86Program(read.entries.at(0)).text;
    for (auto _ : state)
        benchmark::DoNotOptimize(tokenizeTi86Text(text).tokens.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

} // namespace

BENCHMARK(ListThousandFilesOf2KiB)->Unit(benchmark::kMillisecond);
BENCHMARK(ListOne64KiBProgram)->Unit(benchmark::kMillisecond);
BENCHMARK(Tokenize64KiBListing)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
