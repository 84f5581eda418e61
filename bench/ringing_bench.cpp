// Cost of generating a lead and of ringing it, at screen widths.
#include <benchmark/benchmark.h>

#include <numeric>
#include <vector>

#include "ringing/Change.h"
#include "ringing/PlaceNotation.h"

namespace {

void BM_Build(benchmark::State& state) {
    const int method = static_cast<int>(state.range(0));
    const int bells = static_cast<int>(state.range(1));
    CPlaceNotation notation;
    notation.SetStage(bells);
    for (auto _ : state) {
        benchmark::DoNotOptimize(notation.Build(method));
    }
    state.SetLabel(notation.GetName());
}
BENCHMARK(BM_Build)->ArgsProduct({{2, 7}, {1920, 3840, 100000}})->Unit(benchmark::kMicrosecond);

// One full lead of row steps: per change, and per bell (the unit of a row's cost).
void BM_RingLead(benchmark::State& state) {
    const int method = static_cast<int>(state.range(0));
    const int bells = static_cast<int>(state.range(1));
    CPlaceNotation notation(bells, method);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(bells));
    std::iota(row.begin(), row.end(), 0u);
    int changes = 0;
    for (int token : notation.Tokens()) {
        changes += token == PN_CHANGE_END ? 1 : 0;
    }
    int place = PN_NOTATION_END;
    for (auto _ : state) {
        for (int k = 0; k < changes; ++k) {
            place = ApplyNextChange(notation, place, row.data(), bells);
        }
        benchmark::DoNotOptimize(row.data());
    }
    using benchmark::Counter;
    state.counters["per_change"] = Counter(changes, Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["per_bell"] =
        Counter(double(changes) * bells, Counter::kIsIterationInvariantRate | Counter::kInvert);
}
BENCHMARK(BM_RingLead)->ArgsProduct({{2, 7}, {1920, 3840}})->Unit(benchmark::kMillisecond);

}  // namespace
