// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and listing TI-86 program files. Goal on the 2-core development
// machine: 1,000 files of one 2 KiB program each, read and listed, in under
// 0.5 s. Also one program of 64 KiB (near the largest a file can hold), and
// tokenizing that listing back.

#include "calcfiles/Ti86File.h"
#include "calcfiles/Ti86Listing.h"
#include "calcfiles/Ti86Tokens.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace kalvo::calc;

// Token bytes that look like a real program: commands, names, numbers,
// strings, labels, operators, a line end every few tokens.
std::string programBytes(std::size_t size, unsigned seed) {
    static const std::vector<std::string> pieces = {
        "\xE9",                                // Disp
        "\xD8",                                // If
        std::string("\x2DHello, world\0", 14), // "Hello, world"
        std::string("\x44"
                    "12.5\0",
                    6), // 12.5
        std::string("\x44"
                    "3\0",
                    3), // 3
        "\x33"
        "A",
        "\x34"
        "XY",
        "\x37SCORE",                      // names
        "\x32\x01x",                      // x
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
        "\xAA",     // ( ) For End sin
        "\x8E\x00", // PxOn
        "\x3D\x04", // xMin
        "\x6E",     // :
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
    out.resize(size);
    return out;
}

std::string le16(std::size_t n) {
    return {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8)};
}

std::string ti86File(const std::string& body) {
    const std::string data = le16(body.size()) + body;
    const std::string entry = le16(12) + le16(data.size()) +
                              "\x12\x04"
                              "PROG    " +
                              le16(data.size()) + data;
    unsigned sum = 0;
    for (const char c : entry)
        sum += static_cast<unsigned char>(c);
    return "**TI86**" + std::string("\x1A\x0A\x00", 3) + std::string(42, '\0') +
           le16(entry.size()) + entry + le16(sum & 0xFFFF);
}

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
        files.push_back(ti86File(programBytes(2048, i)));
    for (auto _ : state) {
        std::size_t text = 0;
        for (const std::string& file : files)
            text += readAndList(file);
        benchmark::DoNotOptimize(text);
    }
}

void ListOne64KiBProgram(benchmark::State& state) {
    const std::string file = ti86File(programBytes(65000, 64));
    for (auto _ : state)
        benchmark::DoNotOptimize(readAndList(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

void Tokenize64KiBListing(benchmark::State& state) {
    const Ti86File read = readTi86File(ti86File(programBytes(65000, 64)));
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
