// SPDX-License-Identifier: GPL-3.0-or-later
// TI-83 Plus program files from text: tokenizing 1,000 programs of 2 KiB of
// ti83p text and writing each one's .8xp bytes. Goal on the 2-core
// development machine: the batch of 1,000 under 1 s. Reading the files back
// and listing them is measured beside it.

#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace {

// Lines of the kind converted games hold: screens, loops, menus, strings,
// lists and matrices, with θ, → and ⁻¹ in their Windows-1252 spelling.
// clang-format off
constexpr const char* kLines[] = {
    ":ClrHome",
    ":Disp \"SCORE:\",S",
    ":Output(1,1,\"Hello there\")",
    ":For(I,1,10)",
    ":If A>B and C\xF8" "D:Then",
    ":randInt(1,6)\xFC" "A",
    ":getKey\xFCK",
    ":While K=0:getKey\xFCK:End",
    ":Lbl AB",
    ":Goto AB",
    ":End",
    ":prgmGAME",
    ":sin(X)+cos(Y)\xFCZ",
    ":Text(1,1,Str1)",
    ":Menu(\"MAIN\",\"Play\",A,\"Quit\",B)",
    ":{1,2,3}\xFCL\x81",
    ":[A]\xF1\xFC[B]",
    ":int(10rand)\xFC\xC1",
    ":Pxl-On(X,Y)",
    ":Line(0,0,94,62)",
    ":DelVar A",
    ":Input \"Name?\",Str2",
    ":\"You win\xFCStr3",
    ":If \xC1\xF9" "2\xC4:Stop",
};
// clang-format on

// 1,000 different programs of 2 KiB each.
const std::vector<std::string>& programs() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> out;
        std::mt19937 random(2026);
        for (int p = 0; p < 1000; ++p) {
            std::string text;
            while (text.size() < 2048) {
                text += kLines[random() % std::size(kLines)];
                text += "\r\n";
            }
            out.push_back(std::move(text));
        }
        return out;
    }();
    return all;
}

void TokenizeAndWrite1000(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& text : programs()) {
            const auto tokenized = kalvo::calc::tokenizeTi83pText(text);
            const auto file = kalvo::calc::buildTi83pFile(tokenized.tokens, "GAME");
            benchmark::DoNotOptimize(file.bytes.data());
            bytes += text.size();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void ReadAndList1000(benchmark::State& state) {
    std::vector<std::string> files;
    for (const std::string& text : programs())
        files.push_back(
            kalvo::calc::buildTi83pFile(kalvo::calc::tokenizeTi83pText(text).tokens, "GAME").bytes);
    for (auto _ : state) {
        for (const std::string& file : files) {
            const auto read = kalvo::calc::readTi83pFile(file);
            const auto listing = kalvo::calc::listTi83pTokens(read.tokens);
            benchmark::DoNotOptimize(listing.text.data());
        }
    }
}

} // namespace

BENCHMARK(TokenizeAndWrite1000)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(ReadAndList1000)->Unit(benchmark::kMillisecond)->MinTime(2);

BENCHMARK_MAIN();
