// SPDX-License-Identifier: GPL-3.0-or-later
// The Convert button in the real window on an X server (run it under
// xvfb-run; `make bench-window` does): the time from the press to the first
// message box for 16 MiB and 50 MiB documents, and the run's memory growth,
// the peak resident size up to the end of the run minus the resident size
// just before the press. Goals on the 2-core development machine: 16 MiB
// under 2 s, 50 MiB under 5 s, growth under 4 times the document.
//
// Also opening a 24 KB TI-86 program (.86p) and a .8xp of the same program,
// and saving that .8xp again, each as File > Open and File > Save do it
// once their dialogs are answered. Goal: under 100 ms each.

#include "Ti86FileBytes.h"

#include "conversion/ConversionRun.h"
#include "files/CalcDocuments.h"
#include "widgets/EditorWidget.h"
#include "windows/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// A realistic program, the sample of the README, repeated to `size` bytes.
std::string document(std::size_t size) {
    std::ifstream in(KALVO_SAMPLE_PROGRAM, std::ios::binary);
    std::ostringstream sample;
    sample << in.rdbuf();
    const std::string program = sample.str();
    std::string text;
    text.reserve(size);
    while (!program.empty() && text.size() < size)
        text.append(program, 0, std::min(program.size(), size - text.size()));
    return text;
}

// A line of /proc/self/status in bytes ("VmRSS", "VmHWM").
double statusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(key.size())) * 1024.0;
    return 0;
}

// Starts the peak resident size over from the present size.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void ConvertInWindow(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0)) << 20;
    const std::string text = document(size);
    kalvo::frmWordProc window;
    window.endProgram = [] {};
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("the window was not shown: run under xvfb-run");
        return;
    }
    double seconds = 0, growth = 0;
    for (auto _ : state) {
        window.txtwordproc->SetText(text);
        QApplication::processEvents();
        resetPeak();
        const double before = statusBytes("VmRSS");
        const auto pressed = std::chrono::steady_clock::now();
        std::chrono::steady_clock::time_point firstMessage{};
        // Each message box is answered as soon as it shows; the first one
        // stops the clock.
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (firstMessage == std::chrono::steady_clock::time_point{})
                firstMessage = std::chrono::steady_clock::now();
            box->button(QMessageBox::Ok)->click();
        });
        answer.start(1);
        QTest::mouseClick(window.Command1, Qt::LeftButton);
        answer.stop();
        const double elapsed = std::chrono::duration<double>(firstMessage - pressed).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        growth += (statusBytes("VmHWM") - before) / static_cast<double>(size);
    }
    state.counters["s_to_message"] = seconds / static_cast<double>(state.iterations());
    state.counters["growth_x_doc"] = growth / static_cast<double>(state.iterations());
}

// The files of the open and save benchmarks, made once: a 24 KB program
// as a .86p, and the same program converted, as a .8xp.
struct ProgramFiles {
    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/kalvo-bench-XXXXXX")};
    QString ti86;
    QString ti83p;
    std::size_t textBytes = 0;
};

const ProgramFiles& programFiles() {
    static const ProgramFiles files = [] {
        ProgramFiles made;
        const std::string bytes =
            kalvo::bench::ti86File(kalvo::bench::ti86ProgramBytes(24 * 1024, 86));
        made.ti86 = made.folder.filePath(QStringLiteral("GAME.86p"));
        std::ofstream(made.ti86.toStdString(), std::ios::binary) << bytes;
        const kalvo::CalcFileContents contents = kalvo::readCalcFile(bytes, "GAME.86p");
        const std::string text = kalvo::convertText(*kalvo::openCalcProgram(contents, 0).text);
        made.textBytes = text.size();
        made.ti83p = made.folder.filePath(QStringLiteral("GAME.8xp"));
        const kalvo::SaveEncoding encoded = kalvo::encodeForSave(made.ti83p.toStdString(), text);
        std::ofstream(made.ti83p.toStdString(), std::ios::binary)
            << encoded.file.bytes.value_or("");
        return made;
    }();
    return files;
}

bool showWindow(kalvo::frmWordProc& window, benchmark::State& state) {
    window.endProgram = [] {};
    window.show();
    if (QTest::qWaitForWindowExposed(&window))
        return true;
    state.SkipWithError("the window was not shown: run under xvfb-run");
    return false;
}

// Arg 0: the .86p, arg 1: the .8xp.
void OpenProgramInWindow(benchmark::State& state) {
    const ProgramFiles& files = programFiles();
    const QString& file = state.range(0) == 0 ? files.ti86 : files.ti83p;
    kalvo::frmWordProc window;
    if (!showWindow(window, state))
        return;
    for (auto _ : state) {
        window.txtwordproc->SetText({});
        window.openFile(file);
        QApplication::processEvents(); // what it shows is drawn
    }
    state.counters["document_bytes"] = static_cast<double>(window.txtwordproc->Length());
}

void SaveProgramInWindow(benchmark::State& state) {
    const ProgramFiles& files = programFiles();
    kalvo::frmWordProc window;
    if (!showWindow(window, state))
        return;
    window.openFile(files.ti83p); // its name is the current file: Save asks nothing
    QApplication::processEvents();
    for (auto _ : state) {
        window.Save_Click();
        QApplication::processEvents();
    }
    state.counters["document_bytes"] = static_cast<double>(window.txtwordproc->Length());
}

} // namespace

BENCHMARK(OpenProgramInWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveProgramInWindow)->Unit(benchmark::kMillisecond);

BENCHMARK(ConvertInWindow)
    ->Arg(16)
    ->Arg(50)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
