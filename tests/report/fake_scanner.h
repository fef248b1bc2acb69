// A scanner over texts held in memory, for report tests that need no files:
// each path has its blocks of display text; every whole-word occurrence of a
// search word goes to the collector, as the file scanner's report mode does.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/strings.h"
#include "report/report_request.h"

namespace quor::test {

class FakeScanner : public ExtractScanner {
 public:
  std::map<std::u16string, std::vector<std::u16string>> blocks;
  // Called at the start of each scan (to press Stop, look at the output ...).
  std::function<void(std::u16string_view path)> onScan;
  // Paths whose scan asks to end the report.
  std::vector<std::u16string> failing;
  std::vector<std::u16string> scanned;

  bool ScanFile(std::u16string_view fullPath, FileExtractCollector& collector) override {
    scanned.emplace_back(fullPath);
    if (onScan) onScan(fullPath);
    const auto found = blocks.find(std::u16string(fullPath));
    std::int64_t length = 0;
    if (found != blocks.end()) {
      for (const auto& block : found->second) length += static_cast<std::int64_t>(block.size());
    }
    collector.BeginFile(length);
    std::int64_t blockStart = 1;
    if (found != blocks.end()) {
      for (const auto& block : found->second) {
        ScanBlock(block, blockStart, collector);
        if (collector.FileDone()) break;
        blockStart += static_cast<std::int64_t>(block.size());
      }
    }
    for (const auto& path : failing) {
      if (path == fullPath) return false;
    }
    return true;
  }

 private:
  static bool IsWordChar(char16_t ch) {
    return (ch >= u'a' && ch <= u'z') || (ch >= u'0' && ch <= u'9') || ch >= 0xC0;
  }

  static void ScanBlock(const std::u16string& block, std::int64_t blockStart,
                        FileExtractCollector& collector) {
    const std::u16string folded = FoldCase(block);
    std::size_t from = 0;
    while (from < folded.size()) {
      std::size_t best = std::u16string::npos;
      const std::u16string* bestWord = nullptr;
      for (const auto& word : collector.SearchWords()) {
        for (std::size_t at = folded.find(word, from); at != std::u16string::npos;
             at = folded.find(word, at + 1)) {
          const bool before = at == 0 || !IsWordChar(folded[at - 1]);
          const bool after =
              at + word.size() >= folded.size() || !IsWordChar(folded[at + word.size()]);
          if (!before || !after) continue;
          if (at < best) {
            best = at;
            bestWord = &word;
          }
          break;
        }
      }
      if (!bestWord) return;
      from = collector.Occurrence(block, blockStart, best, *bestWord);
    }
  }
};

}  // namespace quor::test
