// The stages of one index build over the folder in QUOR_BENCH_TOP (skipped
// without it), one and all reading threads: counting pass (walk and
// classification), indexing pass (reading, cutting into words, lexicon),
// lexicon written to the index text, then data file, count rows and
// compression together (the data file is written beside the other two).
// Each stage's seconds are a counter of the benchmark.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/encoding.h"
#include "index/index_build.h"

namespace {

using Clock = std::chrono::steady_clock;

struct StageClock : quor::IndexBuildObserver {
  Clock::time_point start = Clock::now(), counted, indexingStarted, indexed, written;
  quor::MsgResult MessageBox(const quor::MessageBoxRequest&) override {
    return quor::MsgResult::Ok;
  }
  void CountingEnded() override { counted = Clock::now(); }
  void IndexingStarted(std::int32_t) override { indexingStarted = Clock::now(); }
  void IndexingDone(std::int32_t, std::int32_t, std::int32_t) override { indexed = Clock::now(); }
  void WritingEnded() override { written = Clock::now(); }
};

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

void IndexBuild(benchmark::State& state) {
  const char* top = std::getenv("QUOR_BENCH_TOP");
  if (top == nullptr) {
    state.SkipWithError("QUOR_BENCH_TOP is not set");
    return;
  }
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "quor-build-bench";
  for (auto _ : state) {
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    quor::IndexBuildRequest request;
    request.projectName = u"bench";
    request.title = u"Bench";
    request.outputFolder = quor::Utf8ToText(out.string());
    request.rules.topFolder = quor::Utf8ToText(top) + u"/";
    // Every subfolder and theirs, every size (as --all-subfolders --min-size 0).
    for (const auto& entry : std::filesystem::directory_iterator(top)) {
      if (entry.is_directory()) {
        request.rules.IncludedSubfolders.push_back(
            quor::Utf8ToText(entry.path().filename().string()));
      }
    }
    request.rules.includeNestedSubfolders = true;
    request.threads = static_cast<std::int32_t>(state.range(0));
    StageClock clock;
    quor::StopToken stop;
    quor::IndexBuilder builder;
    const quor::IndexBuildResult result = builder.Run(request, clock, stop);
    const Clock::time_point end = Clock::now();
    if (!result.indexCreated) state.SkipWithError("no index was made");
    state.counters["counting_s"] = Seconds(clock.start, clock.counted);
    state.counters["indexing_s"] = Seconds(clock.indexingStarted, clock.indexed);
    state.counters["lexicon_s"] = Seconds(clock.indexed, clock.written);
    state.counters["data_rows_compress_s"] = Seconds(clock.written, end);
    state.counters["files"] = result.fileCount;
  }
  std::filesystem::remove_all(out);
}

BENCHMARK(IndexBuild)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
