// Cost of setting up the picture and of one row step, on the in-memory surface.
// Runs in a scratch settings directory and current directory of its own.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "colour/Palette.h"
#include "shell/MemorySurface.h"
#include "shell/RingCanvas.h"

namespace fs = std::filesystem;

namespace {

fs::path g_withLog;     // a directory where "Colours.log" can be written
fs::path g_withoutLog;  // one where "Colours.log" is a directory, so the log cannot open

void BM_Setup(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const bool log = state.range(1) != 0;
    fs::current_path(log ? g_withLog : g_withoutLog);
    CRingCanvas canvas;
    for (auto _ : state) {
        canvas.Setup(width, 1080);
    }
    state.SetLabel(log ? "with log" : "without log");
}
BENCHMARK(BM_Setup)->ArgsProduct({{1920, 3840}, {1, 0}})->Unit(benchmark::kMillisecond);

void BM_DrawNextRow(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    fs::current_path(g_withoutLog);
    CRingCanvas canvas;
    canvas.Setup(width, height);
    CMemorySurface surface(width, height);
    for (auto _ : state) {
        canvas.DrawNextRow(surface);
    }
    state.SetItemsProcessed(state.iterations());  // rows
}
BENCHMARK(BM_DrawNextRow)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

// Baseline: the same row step on a plain image that scrolls by moving all of it.
void BM_DrawNextRowMemmoveScroll(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    fs::current_path(g_withoutLog);
    CRingCanvas canvas;
    canvas.Setup(width, height);
    std::vector<PackedColour> image(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    PackedColour* bottom =
        image.data() + static_cast<std::size_t>(height - 1) * static_cast<std::size_t>(width);
    for (auto _ : state) {
        canvas.ApplyNextChange();
        for (int x = 0; x < width; ++x) {
            const PackedColour entry = canvas.Row()[x];
            bottom[x] = (entry & kTrebleMark) != 0 ? 0 : entry;
        }
        std::memmove(image.data(), image.data() + width,
                     (image.size() - static_cast<std::size_t>(width)) * 4);
        benchmark::DoNotOptimize(image.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawNextRowMemmoveScroll)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/lucenta-bench-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    g_withLog = root / "log";
    g_withoutLog = root / "nolog";
    fs::create_directories(g_withLog);
    fs::create_directories(g_withoutLog / kColourLogName);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::current_path("/");
    fs::remove_all(root);
    return 0;
}
