// How fast the buffer viewer opens on the largest buffer (2 MiB, 131,072 lines).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <vector>

#include "buffer/buffer_lines.h"
#include "ui/buffer_lines_model.h"
#include "ui/buffer_view_dialog.h"

namespace {

constexpr uint32_t kLargestBuffer = 0x200000;

QApplication& Application() {
    static int argc = 1;
    static char name[] = "ui_buffer_view_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static QApplication application(argc, argv);
    return application;
}

const std::vector<uint8_t>& LargestBuffer() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(kLargestBuffer);
        for (uint32_t i = 0; i < kLargestBuffer; ++i) {
            b[i] = static_cast<uint8_t>(i * 7);
        }
        return b;
    }();
    return bytes;
}

// The whole opening as the operator sees it: the dialog is built and shown, the list is filled
// from the first screen, laid out, and its visible lines are painted.
void BM_ViewerOpensOnLargestBuffer(benchmark::State& state) {
    Application();
    const std::vector<uint8_t>& bytes = LargestBuffer();
    for (auto _ : state) {
        BufferViewDialog viewer(bytes.data(), kLargestBuffer, nullptr, [](QWidget*, uint32_t) { return 0; });
        viewer.show();
        viewer.Fill();
        QApplication::processEvents();
        viewer.repaint();
        benchmark::DoNotOptimize(viewer.findChild<QListView*>("control1013")->model()->rowCount());
    }
    state.SetItemsProcessed(state.iterations() * BufferLineCount(kLargestBuffer, 0));
}
BENCHMARK(BM_ViewerOpensOnLargestBuffer)->Unit(benchmark::kMillisecond);

// The model alone: set-up with the fill's progress steps, then the lines of one screenful.
void BM_ModelFillAndVisibleLines(benchmark::State& state) {
    Application();
    const std::vector<uint8_t>& bytes = LargestBuffer();
    BufferLinesModel model;
    for (auto _ : state) {
        model.SetBuffer(bytes.data(), kLargestBuffer, 0);
        for (const FillProgressStep& step : FillProgressSteps(kLargestBuffer, 0)) {
            model.ShowLines(static_cast<int>(step.line));
        }
        model.ShowLines(model.LineCount());
        for (int row = 0; row < 40; ++row) {
            benchmark::DoNotOptimize(model.data(model.index(row), Qt::DisplayRole));
        }
    }
}
BENCHMARK(BM_ModelFillAndVisibleLines)->Unit(benchmark::kMicrosecond);

// Every line of the buffer formatted once: the cost of copying a full selection.
void BM_FormatEveryLine(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = LargestBuffer();
    for (auto _ : state) {
        for (uint32_t offset = 0; offset < kLargestBuffer; offset += kBufferLineBytes) {
            benchmark::DoNotOptimize(BufferLine(bytes.data(), kLargestBuffer, offset));
        }
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kLargestBuffer});
}
BENCHMARK(BM_FormatEveryLine)->Unit(benchmark::kMillisecond);

}  // namespace
