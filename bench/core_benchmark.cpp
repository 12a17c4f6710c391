// How long the core takes for what a press of 计算 or 退出 asks of it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "calc/due_date.h"
#include "entries/saved_entries.h"

namespace duedate {
namespace {

void CalculateFromTexts(benchmark::State& state) {
  // Built whole: assigning the texts one by one to a default-constructed
  // input trips a false maybe-uninitialized warning of GCC 12 at -O3.
  const DueDateInput input{
      .method = state.range(0) ? CalcMethod::FromConception : CalcMethod::FromLastPeriod,
      .lastPeriodYear = "2011",
      .lastPeriodMonth = "04",
      .lastPeriodDay = "27",
      .cycleLength = "28",
      .conceptionYear = "2011",
      .conceptionMonth = "05",
      .conceptionDay = "15",
      .today = {2011, 10, 1}};
  for (auto _ : state) benchmark::DoNotOptimize(CalculateDueDate(input));
}
BENCHMARK(CalculateFromTexts)->Arg(0)->Arg(1);

void ReadLeadingNumber(benchmark::State& state) {
  const std::string texts[] = {"2011", "04", "28.5", "２０１１年", std::string(400, '9')};
  const std::string& text = texts[state.range(0)];
  for (auto _ : state) benchmark::DoNotOptimize(LeadingNumber(text));
}
BENCHMARK(ReadLeadingNumber)->DenseRange(0, 4);

void WriteNumberText(benchmark::State& state) {
  const double x = state.range(0) ? 28.5 : 2011;
  for (auto _ : state) benchmark::DoNotOptimize(NumberText(x));
}
BENCHMARK(WriteNumberText)->Arg(0)->Arg(1);

void SaveThenLoad(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("yuchanqi-bench-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  const auto file = dir / kEntriesFileName;
  const SavedEntries entries{"2011", "04", "27", "28", "2011", "05", "15", CalcMethod::FromLastPeriod};
  for (auto _ : state) {
    if (!SaveEntries(file, entries).ok()) state.SkipWithError("save failed");
    benchmark::DoNotOptimize(LoadEntries(file));
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(SaveThenLoad)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace duedate

BENCHMARK_MAIN();
