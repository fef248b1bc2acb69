#include "index/lexicon.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace quor {
namespace {

constexpr std::size_t kInitialSlots = 2048;  // room for the first 1000 words

// Equal words, compared four units at a time (most words are short, and a
// library call costs more than the comparison).
bool SameWord(const std::u16string& a, std::u16string_view b) {
  const std::size_t n = b.size();
  if (a.size() != n) return false;
  const char16_t* x = a.data();
  const char16_t* y = b.data();
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint64_t u;
    std::uint64_t v;
    std::memcpy(&u, x + i, sizeof u);
    std::memcpy(&v, y + i, sizeof v);
    if (u != v) return false;
  }
  if (n - i >= 2) {
    std::uint32_t u;
    std::uint32_t v;
    std::memcpy(&u, x + i, sizeof u);
    std::memcpy(&v, y + i, sizeof v);
    if (u != v) return false;
    i += 2;
  }
  return i == n || x[i] == y[i];
}

}  // namespace

int ByteValue(int count, int maxCount) {
  if (count <= 0 || maxCount <= 0) return 0;
  if (maxCount >= 255) return std::min(count, 255);
  // count * 255 / maxCount, halves rounded to even, in whole numbers.
  const int scaled = count * 255;
  int value = scaled / maxCount;
  const int twiceRest = 2 * (scaled % maxCount);
  if (twiceRest > maxCount || (twiceRest == maxCount && (value & 1) != 0)) ++value;
  return std::clamp(value, 1, 255);
}

IndexLexicon::IndexLexicon() {
  Clear();
}

void IndexLexicon::Clear() {
  entries_.clear();
  entries_.reserve(1000);
  slots_.assign(kInitialSlots, Slot{});
  mask_ = kInitialSlots - 1;
  touched_.clear();
  maxCountInFile_ = 0;
  currentFile_ = 0;
  fileEnded_ = false;
  sorted_.clear();
  sortedValid_ = true;
}

void IndexLexicon::BeginFile(std::uint32_t fileNumber) {
  if (fileNumber > kMaxFileNumber) throw std::length_error("Too many files for the lexicon");
  for (std::int32_t row : touched_) Row(row).countInFile = 0;
  touched_.clear();
  maxCountInFile_ = 0;
  currentFile_ = fileNumber;
  fileEnded_ = false;
}

std::uint64_t IndexLexicon::Hash(std::u16string_view word) {
  // Four units at a time, each block mixed in by a multiplication; a final
  // mix makes the low bits used for the slot depend on every unit.
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
  std::uint64_t h = word.size() * kMul;
  const char16_t* p = word.data();
  std::size_t left = word.size();
  while (left >= 4) {
    std::uint64_t block;
    std::memcpy(&block, p, sizeof block);
    h = (h ^ block) * kMul;
    h ^= h >> 29;
    p += 4;
    left -= 4;
  }
  if (left > 0) {
    // The last units as the low bits of one block, built in registers (a
    // partial copy through memory would stall the load that follows it).
    std::uint64_t block = p[0];
    if (left > 1) block |= static_cast<std::uint64_t>(p[1]) << 16;
    if (left > 2) block |= static_cast<std::uint64_t>(p[2]) << 32;
    h = (h ^ block) * kMul;
  }
  h ^= h >> 32;
  h *= 0xbf58476d1ce4e5b9ull;
  h ^= h >> 29;
  return h;
}

std::size_t IndexLexicon::Probe(std::u16string_view word, std::uint64_t hash) const {
  const auto tag = static_cast<std::uint32_t>(hash >> 32);
  std::size_t slot = static_cast<std::size_t>(hash) & mask_;
  for (;;) {
    const Slot& s = slots_[slot];
    if (s.row == 0) return slot;
    if (s.hashTag == tag && SameWord(entries_[s.row - 1].word, word)) return slot;
    slot = (slot + 1) & mask_;
  }
}

void IndexLexicon::Rehash(std::size_t capacity) {
  std::vector<Slot> fresh(capacity);
  const std::size_t mask = capacity - 1;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const std::uint64_t hash = Hash(entries_[i].word);
    std::size_t slot = static_cast<std::size_t>(hash) & mask;
    while (fresh[slot].row != 0) slot = (slot + 1) & mask;
    fresh[slot] = Slot{static_cast<std::uint32_t>(i + 1), static_cast<std::uint32_t>(hash >> 32)};
  }
  slots_.swap(fresh);
  mask_ = mask;
}

std::int32_t IndexLexicon::Find(std::u16string_view word) const {
  // Probe's loop, kept here so that the search of every word cut needs no
  // further call.
  const std::uint64_t hash = Hash(word);
  const auto tag = static_cast<std::uint32_t>(hash >> 32);
  std::size_t slot = static_cast<std::size_t>(hash) & mask_;
  for (;;) {
    const Slot& s = slots_[slot];
    if (s.row == 0) return 0;
    if (s.hashTag == tag && SameWord(entries_[s.row - 1].word, word)) {
      return static_cast<std::int32_t>(s.row);
    }
    slot = (slot + 1) & mask_;
  }
}

std::int32_t IndexLexicon::AddWord(std::u16string_view word, int commonIndex, int& step,
                                   int times) {
  step = 1;
  const std::uint64_t hash = Hash(word);
  std::size_t slot = Probe(word, hash);
  if (slots_[slot].row != 0) {
    step = 2;
    const auto row = static_cast<std::int32_t>(slots_[slot].row);
    CountRow(row, times);
    return row;
  }

  step = 3;
  // Keep the table at most half full; growing moves no word.
  if ((entries_.size() + 1) * 2 > slots_.size()) {
    Rehash(slots_.size() * 2);
    slot = Probe(word, hash);
  }
  // Room grows by half of what there is (at least 1,000 entries), so that
  // the entries move a bounded number of times however many words come.
  if (entries_.size() == entries_.capacity()) {
    entries_.reserve(entries_.size() + std::max<std::size_t>(1000, entries_.size() / 2));
  }
  // CountRow's push_back below must not throw once the word is in.
  if (touched_.size() == touched_.capacity())
    touched_.reserve(std::max<std::size_t>(64, touched_.size() * 2));

  step = 4;
  if (entries_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw std::overflow_error("Overflow");
  }
  const auto row = static_cast<std::int32_t>(entries_.size() + 1);

  step = 5;
  Entry entry;
  entry.word.assign(word);
  entry.commonIndex = commonIndex;
  entries_.push_back(std::move(entry));
  slots_[slot] = Slot{static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(hash >> 32)};
  sortedValid_ = false;
  CountRow(row, times);
  step = 7;
  return row;
}

void IndexLexicon::EndFile() {
  if (maxCountInFile_ == 0 || fileEnded_) return;
  fileEnded_ = true;
  for (std::int32_t row : touched_) {
    Entry& e = Row(row);
    const int value = ByteValue(e.countInFile, maxCountInFile_);
    e.postings.push_back(Posting{currentFile_ << 8 | static_cast<std::uint32_t>(value)});
  }
}

const std::vector<std::int32_t>& IndexLexicon::SortedRows() const {
  if (!sortedValid_ || sorted_.size() != entries_.size()) {
    sorted_.resize(entries_.size());
    for (std::size_t i = 0; i < sorted_.size(); ++i) sorted_[i] = static_cast<std::int32_t>(i + 1);
    std::sort(sorted_.begin(), sorted_.end(),
              [this](std::int32_t a, std::int32_t b) { return Row(a).word < Row(b).word; });
    sortedValid_ = true;
  }
  return sorted_;
}

std::vector<FileWord> IndexLexicon::CurrentFileWords() const {
  std::vector<std::int32_t> rows = touched_;
  std::sort(rows.begin(), rows.end(),
            [this](std::int32_t a, std::int32_t b) { return Row(a).word < Row(b).word; });
  std::vector<FileWord> words;
  words.reserve(rows.size());
  for (std::int32_t row : rows) {
    const Entry& e = Row(row);
    words.push_back(FileWord{e.word, e.countInFile, ByteValue(e.countInFile, maxCountInFile_)});
  }
  return words;
}

}  // namespace quor
