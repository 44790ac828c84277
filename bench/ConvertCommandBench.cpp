// SPDX-License-Identifier: GPL-3.0-or-later
// kalvo-convert from TI-86 program files to TI-83 Plus ones: 1,000 .86p
// files of one 2 KiB program each, each listed, converted with the 81 rows,
// tokenized and written as .8xp bytes by the command's own code. Goal on the
// 2-core development machine: the batch under 1 s. Beside it, the whole
// command on real files (read, convert, write safely with its fsyncs), as a
// batch loop over a folder runs it.

#include "ConvertCommand.h"
#include "Pipeline.h"

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

// Token bytes of the kind TI-86 games hold: commands the rows rename
// (ClLCD, Outpt, getKy, DispG), strings, numbers, names, labels and gotos.
std::string programBytes(std::size_t size, unsigned seed) {
    static const std::vector<std::string> pieces = {
        "\xE9",                          // Disp
        "\xEC",                          // ClLCD
        "\xEB\x10",                      // Outpt(
        "\x43",                          // getKy
        "\xEA",                          // DispG
        "\xD8",                          // If
        std::string("\x2DScore: \0", 9), // "Score: "
        std::string("\x44"
                    "12.5\0",
                    6), // 12.5
        std::string("\x44"
                    "3\0",
                    3), // 3
        "\x33"
        "A",
        "\x37SCORE",                      // names
        std::string("\xE0LOOP\0", 6),     // Lbl LOOP
        std::string("\xE1\0\0LOOP\0", 8), // Goto LOOP
        "\x0B",
        "\x60",
        "\x70",
        "\x50",
        "\x2F", // → + * == ,
        "\x10",
        "\x11",
        "\xDD",
        "\xDE",
        "\xAA",                     // ( ) For End sin
        std::string("\x8E\x00", 2), // PxOn
        "\x6E",                     // :
    };
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string out;
    int sinceLineEnd = 0;
    while (out.size() < size) {
        if (++sinceLineEnd > 6) {
            out += '\x6F';
            sinceLineEnd = 0;
            continue;
        }
        out += pieces[pick(random)];
    }
    // A cut piece could leave a string or a name open; end on a line end.
    out.resize(size - 1);
    out += '\x6F';
    return out;
}

std::string le16(std::size_t n) {
    return {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8)};
}

std::string ti86File(const std::string& body) {
    const std::string data = le16(body.size()) + body;
    const std::string entry = le16(12) + le16(data.size()) +
                              "\x12\x04"
                              "GAME    " +
                              le16(data.size()) + data;
    unsigned sum = 0;
    for (const char c : entry)
        sum += static_cast<unsigned char>(c);
    return "**TI86**" + std::string("\x1A\x0A\x00", 3) + std::string(42, '\0') +
           le16(entry.size()) + entry + le16(sum & 0xFFFF);
}

const std::vector<std::string>& files() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> out;
        for (unsigned i = 0; i < 1000; ++i)
            out.push_back(ti86File(programBytes(2048, i)));
        return out;
    }();
    return all;
}

void ThousandFilesOf2KiBTo8xp(benchmark::State& state) {
    kalvo::cli::Job job;
    job.from = kalvo::cli::Format::Ti86File;
    job.to = kalvo::cli::Format::Ti83pFile;
    std::size_t written = 0;
    for (auto _ : state) {
        for (const std::string& file : files()) {
            const kalvo::cli::Outcome outcome = kalvo::cli::runJob(file, job);
            if (outcome.failure)
                state.SkipWithError("a program did not convert");
            written += outcome.output.size();
        }
    }
    benchmark::DoNotOptimize(written);
}

// The command itself, one run per file, as `for f in *.86p` calls it.
void ThousandFilesOf2KiBTo8xpOnDisk(benchmark::State& state) {
    const fs::path dir = fs::temp_directory_path() / ("kalvo-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::vector<std::string> inputs, outputs;
    for (std::size_t i = 0; i < files().size(); ++i) {
        inputs.push_back((dir / ("GAME" + std::to_string(i) + ".86p")).string());
        outputs.push_back((dir / ("GAME" + std::to_string(i) + ".8xp")).string());
        std::ofstream(inputs.back(), std::ios::binary) << files()[i];
    }
    // Warnings about names (Game becomes GAME) are not what is measured.
    if (std::freopen("/dev/null", "w", stderr) == nullptr)
        state.SkipWithError("stderr cannot be silenced");
    for (auto _ : state) {
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const std::vector<std::string_view> args = {inputs[i], "-o", outputs[i]};
            if (kalvo::cli::convertCommand(args) != 0)
                state.SkipWithError("a program did not convert");
        }
    }
    fs::remove_all(dir);
}

} // namespace

BENCHMARK(ThousandFilesOf2KiBTo8xp)->Unit(benchmark::kMillisecond);
BENCHMARK(ThousandFilesOf2KiBTo8xpOnDisk)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
