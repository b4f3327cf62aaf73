// Saving and loading a full document: one file write and one file read each.
#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"

#include "BenchSeams.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

using namespace orbiplot;

namespace {

using bench::NoDialogs;
using bench::SilentMessages;

struct Setup {
    SilentMessages messages;
    NoDialogs dialogs;
    DefaultRandomSource random;
    std::string folder = (std::filesystem::temp_directory_path() / "orbiplot-bench").string();
    CoreContext context{messages, dialogs, random, folder};
    DocumentModel doc{context};

    Setup() {
        std::filesystem::create_directories(folder);
        doc.NewDoc({"基准文档", "bench", "254 curves", "2"});
        for (int32_t i = 0; i < MaxCurves; ++i) {
            CurveRecord c;
            c.FType = i % CurveTypeCount;
            c.SData1 = "1/" + std::to_string(i + 1);
            c.SData2 = "pi/4";
            c.SData3 = "2";
            c.SData4 = "-3";
            c.Expression1 = "sin(x)*" + std::to_string(i);
            c.Expression2 = "cos(t)";
            c.LineWidth = 1;
            c.LineColor = 255;
            c.ShowHide = true;
            doc.ModifyFun(c, i, true);
        }
    }
    std::string Path() const { return folder + "/bench.opd"; }
};

void SaveFullDocument(benchmark::State& state) {
    Setup setup;
    for (auto _ : state)
        benchmark::DoNotOptimize(setup.doc.SaveDoc(setup.Path()));
}

void LoadFullDocument(benchmark::State& state) {
    Setup setup;
    setup.doc.SaveDoc(setup.Path());
    for (auto _ : state) {
        DocumentModel loaded(setup.context);
        benchmark::DoNotOptimize(loaded.LoadDoc(setup.Path()));
    }
}

} // namespace

BENCHMARK(SaveFullDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadFullDocument)->Unit(benchmark::kMillisecond);
