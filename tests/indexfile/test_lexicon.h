// A lexicon for the index-file tests, built directly from words and their
// postings, with the members the writers read.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "indexfile/posting.h"

namespace quor::test {

inline Posting P(std::uint32_t file, std::uint8_t value) {
  return Posting{file << 8 | value};
}

struct TestLexicon {
  struct Entry {
    std::u16string word;
    std::vector<Posting> postings;
  };
  std::vector<Entry> entries;  // entry r - 1 is row r
  std::vector<std::int32_t> sorted;

  // Adds the word of the next row number.
  void Add(std::u16string word, std::vector<Posting> postings = {}) {
    entries.push_back({std::move(word), std::move(postings)});
    sorted.clear();
    for (std::int32_t r = 1; r <= WordCount(); ++r) sorted.push_back(r);
    std::sort(sorted.begin(), sorted.end(),
              [&](std::int32_t a, std::int32_t b) { return Row(a).word < Row(b).word; });
  }

  std::int32_t WordCount() const { return static_cast<std::int32_t>(entries.size()); }
  const std::vector<std::int32_t>& SortedRows() const { return sorted; }
  const Entry& Row(std::int32_t row) const { return entries[static_cast<std::size_t>(row) - 1]; }
  std::span<const Posting> Postings(std::int32_t row) const { return Row(row).postings; }
};

}  // namespace quor::test
