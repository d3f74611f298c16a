// What one alarm-recording snapshot costs the poll cycle, against the 20 ms that a tick may
// stall at most: the capture of the window, the PNG encoding and the write, each alone, all
// three on the window's thread, and what is left on that thread when the encoding and writing
// go to the background writer.
//
// The window is a stand-in with what makes its picture expensive: a left panel of labels and
// lists and an oscillogram full of noisy signal points and threshold markers, at the main
// window's initial size (820 x 455, the argument 820) and maximized on a full-HD screen (1920 x
// 1050). "share_of_20ms" is the mean cost divided by 20 ms; "share_of_tick" divides it by the
// 1 ms poll period.

#include "WindowBenchmarkMain.h"
#include "common/Clock.h"
#include "recording/AlarmRecorder.h"
#include "recording/OrderedFileWriter.h"
#include "recording/WidgetSnapshot.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <memory>

namespace {

constexpr double StallBudgetSeconds = 0.020;
constexpr double TickSeconds = 0.001;

QWidget* g_window = nullptr;

std::unique_ptr<QWidget> makeStandInWindow() {
    auto window = std::make_unique<QWidget>();
    window->resize(820, 455);
    auto* layout = new QHBoxLayout(window.get());
    auto* panel = new QVBoxLayout;
    const char* captions[] = {"Модель:",           "Версия:",   "Режим:",   "Питание:",
                              "Чувствительность:", "Скорость:", "Уровень:", "Длина участка:"};
    for (const char* caption : captions)
        panel->addWidget(new QLabel(QString::fromUtf8(caption) + QStringLiteral("  12,5  В")));
    auto* port = new QComboBox;
    port->addItems({QStringLiteral("COM1"), QStringLiteral("COM2")});
    panel->addWidget(port);
    panel->addWidget(new QGroupBox(QStringLiteral("Осциллограмма")));
    layout->addLayout(panel);

    auto* plot = new QCustomPlot;
    QRandomGenerator rng(11);
    QVector<double> x, y, pp, mp;
    for (int i = 0; i < 600; ++i) {
        x << i;
        y << rng.bounded(80.0) - 40.0 + (i % 150 < 20 ? 60 : 0);
        pp << 30;
        mp << -30;
    }
    plot->addGraph()->setData(x, y);
    for (const auto& row : {pp, mp}) {
        QCPGraph* markers = plot->addGraph();
        markers->setLineStyle(QCPGraph::lsNone);
        markers->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, 3));
        markers->setData(x, row);
    }
    plot->xAxis->setRange(0, 600);
    plot->yAxis->setRange(-96, 96);
    layout->addWidget(plot, 1);
    window->show();
    QApplication::processEvents();
    plot->replot();
    QApplication::processEvents();
    return window;
}

// The window at the width given as the benchmark's last argument.
void sizeWindow(int width) {
    g_window->resize(width, width == 820 ? 455 : 1050);
    QApplication::processEvents();
    for (QCustomPlot* plot : g_window->findChildren<QCustomPlot*>())
        plot->replot();
    QApplication::processEvents();
}

void report(benchmark::State& state, double seconds, qint64 count) {
    const double mean = count ? seconds / double(count) : 0.0;
    state.counters["ms"] = mean * 1000.0;
    state.counters["share_of_20ms"] = mean / StallBudgetSeconds;
    state.counters["share_of_tick"] = mean / TickSeconds;
}

void BM_Capture(benchmark::State& state) {
    sizeWindow(int(state.range(0)));
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QImage image = WidgetSnapshot::CaptureImage(*g_window);
        seconds += double(timer.nsecsElapsed()) / 1e9;
        benchmark::DoNotOptimize(image);
    }
    report(state, seconds, state.iterations());
}
BENCHMARK(BM_Capture)->Arg(820)->Arg(1920)->Unit(benchmark::kMillisecond);

void BM_EncodePng(benchmark::State& state) {
    sizeWindow(int(state.range(0)));
    const QImage image = WidgetSnapshot::CaptureImage(*g_window);
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        EncodedFile file = WidgetSnapshot::EncodePng(image);
        seconds += double(timer.nsecsElapsed()) / 1e9;
        state.counters["png_kB"] = double(file.bytes.size()) / 1024.0;
    }
    report(state, seconds, state.iterations());
}
BENCHMARK(BM_EncodePng)->Arg(820)->Arg(1920)->Unit(benchmark::kMillisecond);

void BM_WriteFile(benchmark::State& state) {
    sizeWindow(int(state.range(0)));
    QTemporaryDir dir;
    const QByteArray bytes =
        WidgetSnapshot::EncodePng(WidgetSnapshot::CaptureImage(*g_window)).bytes;
    double seconds = 0;
    int n = 0;
    for (auto _ : state) {
        const QString path = dir.filePath(QStringLiteral("%1 Тревога.png").arg(n++));
        QElapsedTimer timer;
        timer.start();
        OrderedFileWriter::writeWhole(path, bytes, nullptr);
        seconds += double(timer.nsecsElapsed()) / 1e9;
    }
    report(state, seconds, state.iterations());
}
BENCHMARK(BM_WriteFile)->Arg(820)->Arg(1920)->Unit(benchmark::kMillisecond);

// One RecordEvent as the poll cycle pays for it: first argument 0 writes on the window's thread,
// arg 1 leaves the encoding and writing to the background writer. The background work is waited for
// outside the measured time, so that snapshots do not pile up between iterations.
void BM_RecordEvent(benchmark::State& state) {
    const bool background = state.range(0) != 0;
    sizeWindow(int(state.range(1)));
    QTemporaryDir dir;
    ManualClock clock(QDateTime(QDate(2024, 5, 1), QTime(12, 0)).toMSecsSinceEpoch());
    WidgetSnapshot source([] { return g_window; });
    AlarmRecorder recorder(clock, source, nullptr, background);
    recorder.setBaseDirectory(dir.path());
    recorder.StartRecording();
    recorder.waitForSnapshots();
    double seconds = 0;
    for (auto _ : state) {
        clock.advance(1);
        QElapsedTimer timer;
        timer.start();
        recorder.RecordEvent(QStringLiteral("Превышение ПП 1"));
        seconds += double(timer.nsecsElapsed()) / 1e9;
        recorder.waitForSnapshots();
    }
    recorder.StopRecording();
    report(state, seconds, state.iterations());
    state.SetLabel(background ? "encode+write in background" : "capture+encode+write inline");
}
BENCHMARK(BM_RecordEvent)
    ->Args({0, 820})
    ->Args({1, 820})
    ->Args({0, 1920})
    ->Args({1, 1920})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv, [] {
        std::unique_ptr<QWidget> window = makeStandInWindow();
        g_window = window.get();
        return window;
    });
}
