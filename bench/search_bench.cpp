// Speed of searching a real index in process: the load of an index whose data
// file is current (from its work copy and from its text), and the search alone (lexicon look-up,
// rows, scores, phrase confirmation, listing of the paths) for the queries of bench/run.sh. The
// index and its top folder are named by QUOR_BENCH_INDEX and QUOR_BENCH_TOP (bench/run.sh sets them
// to the documentation corpus).
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "common/encoding.h"
#include "common/paths.h"
#include "search/index_load.h"
#include "search/search_run.h"

namespace quor {
namespace {

class QuietLoad : public IndexLoadObserver {
 public:
  MsgResult MessageBox(const MessageBoxRequest&) override { return MsgResult::No; }
};

class QuietSearch : public SearchObserver {
 public:
  MsgResult MessageBox(const MessageBoxRequest&) override { return MsgResult::Ok; }
};

std::u16string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::u16string() : Utf8ToText(value);
}

// The data folder of the loads that keep a work copy: QUOR_BENCH_DATA, or a
// temporary folder removed at exit.
const std::u16string& DataFolder() {
  static const std::u16string folder = [] {
    if (std::u16string named = Env("QUOR_BENCH_DATA"); !named.empty()) {
      std::error_code ec;
      std::filesystem::create_directories(ToFsPath(named), ec);
      return named;
    }
    static std::string made =
        (std::filesystem::temp_directory_path() / "quor-search-bench-XXXXXX").string();
    if (::mkdtemp(made.data()) == nullptr) return std::u16string();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(made, ec);
    });
    return Utf8ToText(made);
  }();
  return folder;
}

// A load of the benchmark's index; with a work copy when withCopy.
IndexLoadResult Load(bool withCopy = true) {
  IndexLoadRequest request;
  request.indexFilePath = Env("QUOR_BENCH_INDEX");
  request.searchCaption = u"Search";
  if (withCopy) request.dataFolder = DataFolder();
  QuietLoad observer;
  StopToken stop;
  return LoadIndex(request, observer, stop);
}

// The index, loaded once for every search benchmark.
const IndexLoadResult& Loaded() {
  static const std::unique_ptr<IndexLoadResult> loaded = std::make_unique<IndexLoadResult>(Load());
  return *loaded;
}

// A load whose data file is current: from the work copy (the first load of
// the run writes it), or from the index text when there is no data folder.
void BM_LoadIndex(benchmark::State& state, bool withCopy) {
  if (Env("QUOR_BENCH_INDEX").empty()) {
    state.SkipWithError("QUOR_BENCH_INDEX is not set");
    return;
  }
  (void)Load(withCopy);
  for (auto _ : state) {
    IndexLoadResult result = Load(withCopy);
    if (!result.ready || result.fromWorkCopy != withCopy) {
      state.SkipWithError("the index did not load as expected");
    }
    benchmark::DoNotOptimize(result.index.WordCount);
  }
}
BENCHMARK_CAPTURE(BM_LoadIndex, work_copy, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadIndex, index_text, false)->Unit(benchmark::kMillisecond);

void BM_Search(benchmark::State& state, SearchType type, bool sort, const char16_t* words) {
  const IndexLoadResult& loaded = Loaded();
  if (!loaded.ready) {
    state.SkipWithError("set QUOR_BENCH_INDEX and QUOR_BENCH_TOP to a built index");
    return;
  }
  SearchRequest request;
  request.index = &loaded.index;
  request.topFolder = EnsureTrailingBackslash(Env("QUOR_BENCH_TOP"));
  request.searchText = words;
  request.type = type;
  request.sort = sort;
  request.fillTitles = false;  // as --paths-only
  request.topFolderChecked = true;
  QuietSearch observer;
  StopToken stop;
  int found = 0;
  for (auto _ : state) {
    const SearchResult result = Search(request, observer, stop);
    found = result.FoundCount;
    benchmark::DoNotOptimize(found);
  }
  state.counters["found"] = found;
}

BENCHMARK_CAPTURE(BM_Search, common_word, SearchType::kAnyWord, false, u"kernel")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Search, rare_word, SearchType::kAnyWord, false, u"zswap")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Search, all_two, SearchType::kAllWords, false, u"memory page")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Search, all_three, SearchType::kAllWords, false, u"memory page table")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Search, any_sorted, SearchType::kAnyWord, true, u"device driver")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Search, phrase_two, SearchType::kExactPhrase, false, u"device tree")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Search, phrase_three, SearchType::kExactPhrase, false, u"the page cache")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Search, stem, SearchType::kAnyWord, false, u"dev*")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quor
