// Loading an index for searching: with a current data file (the count rows
// are not read) and the first load, which builds the data file.
//
// QUOR_BENCH_INDEX names the index file to load (bench/run.sh points it at
// the documentation corpus's index); without it a synthetic index of 8,000
// files and 100,000 words is written to a temporary folder. The index file
// is copied into a temporary folder, so the data file the first load builds
// is a copy of its own.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/files.h"
#include "common/records.h"
#include "indexfile/compressor.h"
#include "indexfile/index_format.h"
#include "search/index_load.h"

namespace {

namespace fs = std::filesystem;

class SilentObserver final : public quor::IndexLoadObserver {
 public:
  quor::MsgResult MessageBox(const quor::MessageBoxRequest& request) override {
    std::fprintf(stderr, "index_load_bench: %s\n", quor::TextToUtf8(request.text).c_str());
    return quor::MsgResult::Ok;
  }
};

// Words spread over files as in a documentation tree: a few in many files,
// most in one or two.
struct SyntheticLexicon {
  struct Entry {
    std::u16string word;
    std::vector<quor::Posting> postings;
  };
  std::vector<Entry> entries;
  std::vector<std::int32_t> sorted;

  SyntheticLexicon(int words, int files) {
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int w = 0; w < words; ++w) {
      Entry e{u"w" + quor::Utf8ToText(std::to_string(next() % 10000000)) + u"x" +
                  quor::Utf8ToText(std::to_string(w)),
              {}};
      const int spread = w < 200 ? files / 2 : 1 + static_cast<int>(next() % 4);
      std::uint32_t file = 1 + next() % static_cast<std::uint32_t>(files);
      for (int k = 0; k < spread && file <= static_cast<std::uint32_t>(files); ++k) {
        e.postings.push_back(quor::Posting{file << 8 | (1 + next() % 255)});
        file += 1 + next() % 3;
      }
      entries.push_back(std::move(e));
    }
    for (int r = 1; r <= words; ++r) sorted.push_back(r);
    std::sort(sorted.begin(), sorted.end(),
              [&](std::int32_t a, std::int32_t b) { return Row(a).word < Row(b).word; });
  }
  std::int32_t WordCount() const { return static_cast<std::int32_t>(entries.size()); }
  const std::vector<std::int32_t>& SortedRows() const { return sorted; }
  const Entry& Row(std::int32_t r) const { return entries[static_cast<std::size_t>(r) - 1]; }
  std::span<const quor::Posting> Postings(std::int32_t r) const { return Row(r).postings; }
};

void WriteSyntheticIndex(const fs::path& path) {
  constexpr int kFiles = 8000;
  const SyntheticLexicon lexicon(100000, kFiles);
  quor::RecordWriter out;
  for (int f = 1; f <= kFiles; ++f) {
    out.WriteStringRecord(u"folder" + quor::Utf8ToText(std::to_string(f % 300)) + u"/file" +
                          quor::Utf8ToText(std::to_string(f)) + u".txt");
  }
  out.WriteStringRecord(quor::kEndOfFileList);
  quor::WriteLexicon(out, lexicon, u"Synthetic");
  quor::WriteCountRows(out, lexicon, kFiles);
  const fs::path text = path.string() + ".txt";
  quor::WriteWholeFile(quor::Utf8ToText(text.string()), out.Utf8());
  quor::FileCompressor compressor;
  if (!compressor.AllocateCompressionBuffer() ||
      compressor.CompressFile(quor::Utf8ToText(text.string()), quor::Utf8ToText(path.string()),
                              false) != quor::kCompressOk) {
    std::fprintf(stderr, "index_load_bench: cannot write the synthetic index\n");
    std::exit(1);
  }
  fs::remove(text);
}

// The index of the benchmark in a temporary folder of its own.
class BenchIndex {
 public:
  BenchIndex() {
    std::string pattern = (fs::temp_directory_path() / "quor-bench-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    index_ = folder_ / "bench_index.quor";
    if (const char* given = std::getenv("QUOR_BENCH_INDEX"); given && *given) {
      fs::copy_file(given, index_);
    } else {
      WriteSyntheticIndex(index_);
    }
  }
  ~BenchIndex() { fs::remove_all(folder_); }

  quor::IndexLoadResult Load() const {
    quor::IndexLoadRequest request;
    request.indexFilePath = quor::Utf8ToText(index_.string());
    request.searchCaption = u"Search";
    SilentObserver observer;
    quor::StopToken stop;
    return quor::LoadIndex(request, observer, stop);
  }
  void DeleteDataFile() const { fs::remove(folder_ / "bench_data.quor"); }

 private:
  fs::path folder_;
  fs::path index_;
};

const BenchIndex& Index() {
  static const BenchIndex index;
  return index;
}

void BM_LoadWithCurrentDataFile(benchmark::State& state) {
  if (!Index().Load().ready) state.SkipWithError("the index does not load");
  for (auto _ : state) {
    quor::IndexLoadResult result = Index().Load();
    benchmark::DoNotOptimize(result.index.Lexicon.size());
    state.counters["words"] = result.index.WordCount;
    state.counters["files"] = result.index.FileCount;
  }
}
BENCHMARK(BM_LoadWithCurrentDataFile)->Unit(benchmark::kMillisecond);

void BM_FirstLoadBuildsTheDataFile(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Index().DeleteDataFile();
    state.ResumeTiming();
    quor::IndexLoadResult result = Index().Load();
    if (!result.ready) state.SkipWithError("the index does not load");
  }
}
BENCHMARK(BM_FirstLoadBuildsTheDataFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
