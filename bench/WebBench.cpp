// SPDX-License-Identifier: GPL-3.0-or-later
// The native side of the page's benchmark (bench/web-bench.py): 1,000 .86p
// files of one 2 KiB program each, written to FILE for the page to read
// (each as a 4-byte little-endian length and its bytes), then converted to
// .8xp by the job the page runs, with the messages printed as the command
// prints them. Prints the best of five batches in milliseconds.
//   kalvo_bench_web FILE

#include "ConvertJob.h"
#include "Options.h"

#include "Ti86FileBytes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: kalvo_bench_web FILE\n", stderr);
        return 2;
    }
    std::vector<std::string> files;
    std::ofstream out(argv[1], std::ios::binary);
    for (unsigned i = 0; i < 1000; ++i) {
        files.push_back(kalvo::bench::ti86File(kalvo::bench::ti86ProgramBytes(2048, i)));
        const auto n = static_cast<std::uint32_t>(files.back().size());
        const char length[4] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                                static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)};
        out.write(length, 4).write(files.back().data(), static_cast<std::streamsize>(n));
    }
    out.close();
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    // The arguments the page gives for a single program of a TI-86 file.
    const kalvo::cli::ParsedCommandLine parsed =
        kalvo::cli::parseCommandLine({"-t", "8xp", "--program", "@1", "--", "GAME.86p"});
    double best = 1e9;
    std::size_t made = 0;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& file : files) {
            std::string said;
            const kalvo::cli::JobResult result = kalvo::cli::runConvertJob(
                file, parsed.options,
                [&said](const kalvo::cli::JobMessage& m) { said += kalvo::cli::messageText(m); });
            made += result.output.size() + said.size();
            if (result.status != 0)
                return 1;
        }
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    std::printf("%.1f %zu\n", best, made / 5);
    return 0;
}
