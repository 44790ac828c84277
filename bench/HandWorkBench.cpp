// SPDX-License-Identifier: GPL-3.0-or-later
// The report of what is left to do by hand, beside the conversion it
// follows. Goal on the 2-core development machine: over 1,000 programs of
// 2 KiB, the report (tokenizing included) takes at most 20% of the time of
// the 81-row conversion of the same programs ("vs_convert" at most 0.2).
// The report from a listing's tokens, as for a calculator file, is measured
// too.

#include "calcfiles/report/HandWork.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"
#include "conversion/ConversionRun.h"

#include "ProgramText.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <ctime>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace kalvo::calc;

using kalvo::bench::programText;

const std::vector<std::string>& programs() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> p;
        for (unsigned i = 0; i < 1000; ++i)
            p.push_back(programText(2048, i));
        return p;
    }();
    return all;
}

std::size_t convertAll() {
    std::size_t bytes = 0;
    for (const std::string& p : programs())
        bytes += kalvo::convertText(p).size();
    return bytes;
}

std::size_t reportAll() {
    std::size_t findings = 0;
    for (const std::string& p : programs())
        findings += findHandWork(p).findings.size();
    return findings;
}

// Processor time of this process: the development machine is shared, and
// the ratio must not depend on what else runs beside it.
double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double secondsOf(auto&& work, int times) {
    const double start = cpuSeconds();
    for (int i = 0; i < times; ++i)
        benchmark::DoNotOptimize(work());
    return (cpuSeconds() - start) / times;
}

void ConvertThousandPrograms(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(convertAll());
}

void ReportThousandPrograms(benchmark::State& state) {
    // The conversion, measured in this run on the same programs.
    const double convert = secondsOf(convertAll, 5);
    std::size_t findings = 0;
    const double start = cpuSeconds();
    std::size_t iterations = 0;
    for (auto _ : state) {
        findings = reportAll();
        benchmark::DoNotOptimize(findings);
        ++iterations;
    }
    const double report = (cpuSeconds() - start) / static_cast<double>(iterations);
    state.counters["vs_convert"] = report / convert;
    state.counters["findings"] = static_cast<double>(findings);
}

// The part of the report that is the TI-86 tokenizer's.
void TokenizeThousandPrograms(benchmark::State& state) {
    for (auto _ : state) {
        std::size_t tokens = 0;
        for (const std::string& p : programs())
            tokens += tokenizeTi86Text(p).tokens.size();
        benchmark::DoNotOptimize(tokens);
    }
}

void ReportThousandListings(benchmark::State& state) {
    std::vector<std::vector<Ti86Token>> tokens;
    for (const std::string& p : programs())
        tokens.push_back(tokenizeTi86Text(p).tokens);
    for (auto _ : state) {
        std::size_t findings = 0;
        for (std::size_t i = 0; i < tokens.size(); ++i)
            findings += findHandWork(programs()[i], tokens[i]).findings.size();
        benchmark::DoNotOptimize(findings);
    }
}

} // namespace

BENCHMARK(ConvertThousandPrograms)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportThousandPrograms)->Unit(benchmark::kMillisecond);
BENCHMARK(TokenizeThousandPrograms)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportThousandListings)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
