// Speed and memory of the embedded engine on a 100,000 × 20 sheet:
//   build/bench/engine_bench            (all)
//   build/bench/engine_bench --benchmark_filter=CellRead
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <memory>
#include <string>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "automation/KeyedCollection.h"
#include "spreadsheet/BookData.h"

using namespace lorvane;

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 20;

// Bytes the heap holds for the program right now.
double heapMb() { return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0); }

struct Fixture {
    std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
    Workbook* book = app->Workbooks().Add();
    Worksheet* ws = book->Worksheets().Item(1);
    explicit Fixture(bool fill = true) {
        if (!fill) return;
        VariantArray block(kRows, kCols);
        for (int r = 1; r <= kRows; ++r)
            for (int c = 1; c <= kCols; ++c) block(r, c) = r * 0.5 + c;
        ws->GetRange("A1").Resize(kRows, kCols).SetValue(block);
    }
};

void CellReadByCells(benchmark::State& state) {
    Fixture f;
    double sum = 0;
    for (auto _ : state) {
        for (int r = 1; r <= kRows; ++r)
            for (int c = 1; c <= kCols; ++c) sum += f.ws->Cells(r, c).Value().number();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(CellReadByCells)->Unit(benchmark::kMillisecond);

// The same result as a block read, gathered cell by cell: the fair comparison for BlockRead.
void CellReadIntoArray(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        VariantArray v(kRows, kCols);
        for (int r = 1; r <= kRows; ++r)
            for (int c = 1; c <= kCols; ++c) v(r, c) = f.ws->Cells(r, c).Value();
        benchmark::DoNotOptimize(v(kRows, kCols));
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(CellReadIntoArray)->Unit(benchmark::kMillisecond);

void CellWriteByCells(benchmark::State& state) {
    Fixture f(false);
    for (auto _ : state) {
        for (int r = 1; r <= kRows; ++r)
            for (int c = 1; c <= kCols; ++c) f.ws->Cells(r, c).SetValue(static_cast<double>(r + c));
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(CellWriteByCells)->Unit(benchmark::kMillisecond);

void BlockRead(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        VariantArray v = f.ws->UsedRange().Values();
        benchmark::DoNotOptimize(v(kRows, kCols));
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(BlockRead)->Unit(benchmark::kMillisecond);

void BlockWrite(benchmark::State& state) {
    Fixture f(false);
    VariantArray block(kRows, kCols);
    for (int r = 1; r <= kRows; ++r)
        for (int c = 1; c <= kCols; ++c) block(r, c) = r + c;
    for (auto _ : state) f.ws->GetRange("A1").Resize(kRows, kCols).SetValue(block);
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(BlockWrite)->Unit(benchmark::kMillisecond);

void WholeSheetFormatCopy(benchmark::State& state) {
    Fixture f;
    f.ws->GetRange("A1").Resize(kRows, kCols).Borders().SetLineStyle(xlContinuous);
    f.ws->GetRange("A1").Resize(2, kCols).SetFontBold(true);
    Workbook* other = f.app->Workbooks().Add();
    Worksheet* target = other->Worksheets().Item(1);
    for (auto _ : state) {
        f.ws->Cells().Copy();
        target->GetRange("a1").PasteSpecial(xlPasteFormats);
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(WholeSheetFormatCopy)->Unit(benchmark::kMillisecond);

void Delete50000Rows(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Fixture f;
        state.ResumeTiming();
        f.ws->GetRange("A2").Resize(50000, 1).EntireRow().Delete();
        benchmark::DoNotOptimize(f.ws->Cells(2, 1).Value());
    }
}
BENCHMARK(Delete50000Rows)->Unit(benchmark::kMillisecond);

void KeyedCollectionMillionTextKeys(benchmark::State& state) {
    std::vector<Variant> keys;
    keys.reserve(1000000);
    for (int i = 0; i < 1000000; ++i) keys.emplace_back("部门-" + std::to_string(i));
    for (auto _ : state) {
        KeyedCollection d;
        for (const auto& k : keys)
            if (!d.Exists(k)) d.SetItem(k, Variant(1));
        benchmark::DoNotOptimize(d.Count());
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(KeyedCollectionMillionTextKeys)->Unit(benchmark::kMillisecond);

// Memory of a 2-million-cell numeric sheet, as a counter (MB of heap it holds).
void NumericSheetMemory(benchmark::State& state) {
    for (auto _ : state) {
        double before = heapMb();
        Fixture f(false);
        for (int r = 1; r <= kRows; ++r)
            for (int c = 1; c <= kCols; ++c) f.ws->Cells(r, c).SetValue(r * 0.25 + c);
        state.counters["MB"] = heapMb() - before;
    }
}
BENCHMARK(NumericSheetMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
