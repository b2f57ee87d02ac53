// The tone table sampled from an edited curve on every release of the mouse: 64000 curve
// points and one pass over the 32001 entries.

#include <benchmark/benchmark.h>

#include <vector>

#include "enhance/curve_editing.h"
#include "enhance/tone_tables.h"

namespace {

void BM_ToneTableFromCurve(benchmark::State& state) {
    kestrave::TBSpline curve;
    kestrave::setDefaultCurve(curve);
    curve.InsertPoint(2, {60, 200});
    kestrave::setEditedCurveStyle(curve, false);
    std::vector<double> table(kestrave::ToneCurveLast + 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kestrave::buildCurveTable(curve, kestrave::ToneCurveShape, table));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ToneTableFromCurve)->Unit(benchmark::kMillisecond);

}  // namespace
