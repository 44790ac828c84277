// SPDX-License-Identifier: GPL-3.0-or-later
// What the hand-work report costs the whole command, kalvo-convert reading a
// text file and writing the converted one (stderr to /dev/null), against the
// same run with -q. Goals: the report adds at most 25% on 16 MiB of program
// text and at most 10% on text with nothing to report ("vs_quiet" at most
// 1.25 and 1.10); the command's peak heap at most 3 times the input
// ("peak_vs_input"); one 320 KB line holding a unit conversion as fast per
// byte as short lines.
//
// Measured on the development machine (2 cores shared with two other
// builds), processor seconds of the report run and of -q, their ratio, and
// peak heap against the input. First: whole lines read 64 KiB at a time;
// then windows of tokens; then (load average 4.8-5.1) with the program's
// tree read in every window, and last with a tree only for the statements
// that need one and a table-driven tokenizer:
//
//                         lines                         windows
//   16 MiB program text   0.954 s / 0.356 s 2.68, 2.72x  0.765 s / 0.357 s 2.14, 2.51x
//   4 MiB, no findings    0.096 s / 0.011 s 8.72, 3.63x  0.0117 s / 0.0108 s 1.08, 2.15x
//   one 320 KB line       54 ms, 5.5 MB/s, 276x          9.7 ms, 30 MB/s, 2.3x
//   one 2 KB line         14 MB/s, 0.34 MB               21 MB/s, 0.06 MB
//
//                         trees in every window          trees where needed
//   16 MiB program text   0.90 s / 0.35 s 2.58, 2.51x    0.69 s / 0.35 s 1.99, 2.51x
//   4 MiB, no findings    0.0116 s / 0.0108 s 1.07, 2.15x 0.0115 s / 0.0107 s 1.08, 2.15x
//   one 320 KB line       15 ms, 20 MB/s, 2.3x           9.5 ms, 32 MB/s, 2.3x
//   one 2 KB line         15 MB/s, 0.08 MB               16-22 MB/s, 0.06 MB
//
// Last (load average 0.3-0.4, the machine otherwise idle), with the
// findings made as small records (catalogue id, place, a view of their
// words) and printed a window's worth at a time straight into the
// command's buffer:
//
//   16 MiB program text   0.69-0.72 s / 0.35-0.37 s 1.93-1.98, 2.51x
//   4 MiB, no findings    7.2-7.7 ms / 6.3-6.6 ms 1.15-1.17, 2.15x
//   one 320 KB line       7.5 ms, 38 MB/s, 2.3x
//   one 2 KB line         19 MB/s, 0.17 MB (as much as the build before
//                         the records: the whole command's peak is the same)
//
// Neither ratio goal is met. Text with nothing to report costs the same
// instructions as before (the whole command on 4 MiB: 403.5 M, -q 385.6 M);
// its ratio reads higher idle than under load because -q alone is faster
// (6.4 ms against 10.7 ms at load 5); what the report adds there is the look at each
// byte for quiet lines, about 4 instructions a byte. Under callgrind, on
// 1 MiB of program text: -q 198 M instructions, the report run 397 M (408 M
// before the records): the tokenizer 72 M for 449 K tokens (160 a token,
// a third of it the library code inlined there: the 112-byte tokens, their
// strings, the vector),
// the look at each token and the making of its findings 71 M, printing the
// 62 K findings 22 M (350 each, one std::function call per window instead
// of three per finding), the names getKy is stored to 13 M. What is left
// is a smaller token, the tokenizer's steps and the findings' making
// (formatting, names looked up by their string) together.
//
// Then (load average 4.2-4.8, this build and the one before run in turn,
// three times each) with the tokens the report never reads passed over on
// one test, the messages that follow from a few bytes (a key code, a
// program's name, a menu's count) made once, getKy→K read without a tree
// and the bytes that are tokens on their own read without the spellings:
//
//   16 MiB program text   0.69-0.73 s / 0.37-0.39 s 1.84-1.92 (2.00-2.04 before), 2.50x
//   4 MiB, no findings    1.12-1.15 (as before: none of it reaches quiet lines)
//
// Under callgrind, 1 MiB of program text: the report run 369 M instructions
// (397 M before), -q 198 M. The rest of the cost is spread thin: the
// tokenizer about 150 instructions a token, a third of it the tokens'
// strings and vector; the look at the tokens and the findings' making
// 53 M (an equation's about 4,400 each); printing 62 K findings 22 M.
//
// Then (this build and the one before run in turn, load average 1.3-3.4)
// with quiet lines passed over 32 bytes at a time under AVX2, the
// tokenizer stepping its spellings by a table of character classes and
// finding line ends 16 bytes at a time, and findings printed a batch at a
// time with their messages keyed by packed numbers:
//
//   16 MiB program text   1.67-1.90 (1.74-2.05 before), 2.50x
//   4 MiB, no findings    1.03-1.06 (1.14-1.23 before); one run of 1.16 under load
//
// Under callgrind, 1 MiB of program text: the report run 337 M instructions
// (369 M before), -q 198 M: the tokenizer 55 M (68 M), the look at the
// tokens and the findings' making 46 M (53 M), printing 12.5 M (22 M).
// 4 MiB with no findings: 390.8 M (403.5 M), -q 385.6 M.
//
// Then (load average 0.9-1.3) with an equation's line found from the last
// one asked for instead of a table of a million line starts (page faults
// of the whole command 15,144 -> 8,890, -q 8,530), messages by number in
// an open table of slots instead of a map of nodes (its look-ups were 7% of
// the run: three cache misses each), tokens of 64 bytes (a conversion's
// units in one string; size, line and column in 32 bits) and a tokenizer
// sending each token its way by one look-up of its first byte:
//
//   16 MiB program text   1.58-1.60 (1.72 once, the machine slower), 2.14x
//   4 MiB, no findings    1.05-1.11
//   one 320 KB line       8.4 ms, 33 MB/s, 2.3x
//
// Under callgrind, 1 MiB of program text: the report run 328.5 M
// instructions (337 M before), -q 198 M; the tokenizer 50.7 M (55 M), its
// time a third less (104.7 -> 71.1 ms on 16 MiB read alone). The goal of
// 1.25 is not met: what the report adds is still the tokenizer (about 130
// instructions a token, a third of it its strings), the look at each token
// and the findings' making, and printing them.

// 256 MB under `ulimit -v 4000000` is run by hand:
//   ulimit -v 4000000; kalvo-convert BIG.86.txt -o /dev/null
// 256 MB of program text converts with the report on: 11.5 processor
// seconds and 538 MB resident (11.6 s before 64-byte tokens; 14.3 s and
// 538 MB with a tree in every window; 12.4 s and 538 MB, 14.7 s and 549 MB
// before that); 256 MB of
// `:A+1→A` lines, 0.77 s and 527 MB (6.2 s and 528 MB before windows).

#include "ConvertCommand.h"

#include "ProgramText.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include <malloc.h>
#include <unistd.h>

// Every allocation of the process counted, for the peak.
namespace {
std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

void* counted(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    const std::size_t now = liveBytes += malloc_usable_size(p);
    std::size_t peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void uncounted(void* p) noexcept {
    if (p == nullptr)
        return;
    liveBytes -= malloc_usable_size(p);
    std::free(p);
}
} // namespace

void* operator new(std::size_t size) {
    return counted(size);
}
void* operator new[](std::size_t size) {
    return counted(size);
}
void operator delete(void* p) noexcept {
    uncounted(p);
}
void operator delete[](void* p) noexcept {
    uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
    uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    uncounted(p);
}

namespace {

namespace fs = std::filesystem;

double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

struct TextFile {
    fs::path path;
    std::size_t size = 0;

    explicit TextFile(const std::string& name, const std::string& text) : size(text.size()) {
        path = fs::temp_directory_path() /
               ("kalvo-bench-" + std::to_string(::getpid()) + "-" + name + ".86.txt");
        std::ofstream(path, std::ios::binary) << text;
    }
    ~TextFile() { fs::remove(path); }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
};

// One run of the command on `file`; its processor time and peak heap.
double runOnce(const TextFile& file, bool quiet, std::size_t& peak) {
    const std::string in = file.path.string();
    std::vector<std::string_view> args = {in, "-o", "/dev/null"};
    if (quiet)
        args.push_back("-q");
    peakBytes = liveBytes.load();
    const std::size_t base = liveBytes.load();
    const double start = cpuSeconds();
    const int status = kalvo::cli::convertCommand(args);
    const double seconds = cpuSeconds() - start;
    peak = peakBytes.load() - base;
    if (status != 0)
        std::abort();
    return seconds;
}

bool silenceStderr() {
    static const bool silenced = std::freopen("/dev/null", "w", stderr) != nullptr;
    return silenced;
}

// The default run against -q on the same file, alternated.
void measure(benchmark::State& state, const TextFile& file) {
    if (!silenceStderr())
        state.SkipWithError("stderr cannot be silenced");
    double report = 0, quiet = 0;
    std::size_t peak = 0, quietPeak = 0, runs = 0;
    // Once each unmeasured, so that no case pays for the tables built on
    // first use (a text with nothing to tokenize builds none of them).
    runOnce(file, false, peak);
    runOnce(file, true, quietPeak);
    for (auto _ : state) {
        report += runOnce(file, false, peak);
        quiet += runOnce(file, true, quietPeak);
        ++runs;
    }
    const auto n = static_cast<double>(runs);
    state.counters["report_s"] = report / n;
    state.counters["quiet_s"] = quiet / n;
    state.counters["vs_quiet"] = report / quiet;
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["peak_vs_input"] = static_cast<double>(peak) / static_cast<double>(file.size);
    state.SetBytesProcessed(static_cast<std::int64_t>(file.size * runs));
}

void ProgramText16MiB(benchmark::State& state) {
    const TextFile file("program", kalvo::bench::programText(std::size_t{16} << 20, 1));
    measure(state, file);
}

void NoFindings4MiB(benchmark::State& state) {
    const TextFile file("plain", kalvo::bench::plainText(std::size_t{4} << 20));
    measure(state, file);
}

// "1-1-…-1▶Dec" on one line of `range(0)` bytes.
void OneLineConversion(benchmark::State& state) {
    std::string line = ":";
    while (line.size() + 6 < static_cast<std::size_t>(state.range(0)))
        line += "1-";
    line += "1\xE5"
            "Dec\r\n";
    const TextFile file("line", line);
    measure(state, file);
}

} // namespace

BENCHMARK(ProgramText16MiB)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(NoFindings4MiB)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(OneLineConversion)->Arg(2000)->Arg(320000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
