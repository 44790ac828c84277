// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion speed and memory on realistic program text of 64 KiB, 1 MiB and
// 16 MiB. Goals on the 2-core development machine: 1 MiB under 50 ms, 16 MiB
// at most 20 times the 1 MiB time, at most 3 times the time of merely
// scanning the document once per row for the row's find text ("vs_scan"),
// and a peak of heap memory at most 3 times the document ("peak_x_doc").

#include "conversion/ConversionRun.h"
#include "conversion/TokenTable.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------
// Heap accounting: every allocation of this program goes through here, with
// its size stored in front of the block so that the bytes in use and their
// peak are known at any moment.

namespace {

std::atomic<std::size_t> gLiveBytes{0};
std::atomic<std::size_t> gPeakBytes{0};

constexpr std::size_t kHeader = alignof(std::max_align_t);

void* countedAlloc(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (block == nullptr)
        throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const std::size_t live = gLiveBytes.fetch_add(size, std::memory_order_relaxed) + size;
    std::size_t peak = gPeakBytes.load(std::memory_order_relaxed);
    while (live > peak && !gPeakBytes.compare_exchange_weak(peak, live, std::memory_order_relaxed))
        ;
    return static_cast<char*>(block) + kHeader;
}

void countedFree(void* pointer) noexcept {
    if (pointer == nullptr)
        return;
    void* block = static_cast<char*>(pointer) - kHeader;
    gLiveBytes.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

} // namespace

void* operator new(std::size_t size) {
    return countedAlloc(size);
}
void* operator new[](std::size_t size) {
    return countedAlloc(size);
}
void operator delete(void* pointer) noexcept {
    countedFree(pointer);
}
void operator delete[](void* pointer) noexcept {
    countedFree(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    countedFree(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    countedFree(pointer);
}

namespace {

// ---------------------------------------------------------------------------
// Realistic TI-86 program text: lines of the kind found in calculator games
// and tools, with their numbers and variable names varied, CR LF line ends.

const std::vector<std::string_view> kLines = {
    ":ClLCD",
    ":DelVar(#)",
    ":Outpt(%,%,\"SCORE\")",
    ":Outpt(%,1,#)",
    ":getKy->#",
    ":If #==%",
    ":If #==% and #==%",
    ":Goto #%",
    ":Lbl #%",
    ":Input \"ANGLE \",#",
    ":Disp \"SIN\",sin #",
    ":Disp cos #,tan #",
    ":Disp sin\xF1 .%,cos\xF1 .%",
    ":Disp sinh %,cosh %,tanh\xF1 %",
    ":Disp ln %,log %",
    ":Disp %\xE5"
    "Dec",
    ":%->#",
    ":#+%->#",
    ":ClDrw",
    ":ZStd",
    ":ZDecm",
    ":GrStl(%,%)",
    ":DispG",
    ":Circl(%,%,%)",
    ":PtOn(%,%)",
    ":PxOff(%,%)",
    ":If PxTest(%,%)==1",
    ":StPic PIC%",
    ":RcPic PIC%",
    ":det #->D",
    ":rref #->R",
    ":aug(#,ident %)->#",
    ":SortA L%",
    ":Disp sum L%,prod L%",
    ":Disp fPart %.5,int %.25",
    ":St\xE5"
    "Eq(S,y%)",
    ":Eq\xE5"
    "St(y%,S)",
    ":Disp lngth S",
    ":For(#,1,%)",
    ":End",
    ":Pause",
    ":Return",
};

// Same seed, same text: runs are comparable.
std::string programText(std::size_t size) {
    std::mt19937 rng(86);
    std::string text;
    text.reserve(size + 64);
    while (text.size() < size) {
        for (char c : kLines[rng() % kLines.size()]) {
            if (c == '#')
                text.push_back(static_cast<char>('A' + rng() % 26));
            else if (c == '%')
                text += std::to_string(rng() % 100);
            else
                text.push_back(c);
        }
        text += "\r\n";
    }
    text.resize(size);
    return text;
}

const std::string& document(std::int64_t size) {
    static std::map<std::int64_t, std::string> cache;
    auto found = cache.find(size);
    if (found == cache.end())
        found = cache.emplace(size, programText(static_cast<std::size_t>(size))).first;
    return found->second;
}

// The floor: one pass of the linear path's search over the document per
// row, finding every occurrence and doing nothing with it.
std::size_t scanOncePerRow(std::string_view text) {
    std::size_t found = 0;
    for (int n = 1; n <= kalvo::kTokenRowCount; ++n) {
        const std::string_view find = kalvo::tokenRow(n)->find;
        for (std::size_t at = text.find(find, 1); at != std::string_view::npos;
             at = text.find(find, at + find.size()))
            ++found;
    }
    return found;
}

double secondsOf(auto&& work, int times) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i)
        work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / times;
}

void ConvertText(benchmark::State& state) {
    const std::string& doc = document(state.range(0));
    // The floor, measured in this run and on this document.
    const double scan = secondsOf([&] { benchmark::DoNotOptimize(scanOncePerRow(doc)); }, 5);
    std::size_t iterations = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        std::string converted = kalvo::convertText(doc);
        benchmark::DoNotOptimize(converted.data());
        ++iterations;
    }
    const double convert =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        static_cast<double>(iterations);
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.counters["vs_scan"] = convert / scan;
}

void ScanOncePerRow(benchmark::State& state) {
    const std::string& doc = document(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(scanOncePerRow(doc));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// Heap in use at the peak of a conversion, over the document's size. The
// document itself is not counted: it is the caller's.
void measurePeak(benchmark::State& state, const std::string& doc) {
    double ratio = 0;
    for (auto _ : state) {
        const std::size_t before = gLiveBytes.load();
        gPeakBytes.store(before);
        std::string converted = kalvo::convertText(doc);
        benchmark::DoNotOptimize(converted.data());
        ratio = static_cast<double>(gPeakBytes.load() - before) / static_cast<double>(doc.size());
    }
    state.counters["peak_x_doc"] = ratio;
}

void PeakMemory(benchmark::State& state) {
    measurePeak(state, document(state.range(0)));
}

// The hard case for memory: tokens only in the first lines, then plain text.
// A row that has replaced something holds back everything after its latest
// replacement until the end of the document, when it hands it all over.
void PeakMemoryTokensOnlyAtTheStart(benchmark::State& state) {
    std::string doc = programText(4 << 10);
    while (doc.size() < static_cast<std::size_t>(state.range(0)))
        doc += ":A+B->C\r\n:Goto X1\r\n";
    measurePeak(state, doc);
}

// The step-by-step scan, for comparison: it edits the whole text once per
// replacement.
void ConvertTextStepByStep(benchmark::State& state) {
    const std::string& doc = document(state.range(0));
    for (auto _ : state) {
        std::string converted = kalvo::convertTextStepByStep(doc);
        benchmark::DoNotOptimize(converted.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

constexpr std::int64_t k64KiB = 64 << 10;
constexpr std::int64_t k1MiB = 1 << 20;
constexpr std::int64_t k16MiB = 16 << 20;

} // namespace

BENCHMARK(ConvertText)
    ->Arg(k64KiB)
    ->Arg(k1MiB)
    ->Arg(k16MiB)
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ScanOncePerRow)->Arg(k64KiB)->Arg(k1MiB)->Arg(k16MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(PeakMemory)
    ->Arg(k64KiB)
    ->Arg(k1MiB)
    ->Arg(k16MiB)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PeakMemoryTokensOnlyAtTheStart)
    ->Arg(k1MiB)
    ->Arg(k16MiB)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertTextStepByStep)->Arg(k64KiB)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
