#include "search/loaded_index.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "common/encoding.h"

namespace quor {

namespace {

constexpr std::size_t kBlockUnits = 256 * 1024;

}  // namespace

void TextStore::Reserve(std::size_t units) {
  if (!blocks_.empty() && capacity_ - used_ >= units) return;
  blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(units));
  used_ = 0;
  capacity_ = units;
}

char16_t* TextStore::Room(std::size_t units) {
  if (blocks_.empty() || capacity_ - used_ < units) Reserve(std::max(units, kBlockUnits));
  return blocks_.back().get() + used_;
}

std::u16string_view TextStore::Intern(std::u16string_view text) {
  char16_t* at = Room(text.size());
  std::copy(text.begin(), text.end(), at);
  used_ += text.size();
  return {at, text.size()};
}

std::u16string_view TextStore::InternUtf8(std::string_view utf8) {
  // Paths and words are mostly ASCII: then one unit per byte, widened as
  // they are copied; anything else goes through the converter.
  const std::size_t size = utf8.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  unsigned char high = 0;
  for (std::size_t i = 0; i < size; ++i) high |= bytes[i];
  if (high >= 0x80) return Intern(Utf8ToText(utf8));
  char16_t* at = Room(size);
  for (std::size_t i = 0; i < size; ++i) at[i] = bytes[i];
  used_ += size;
  return {at, size};
}

void TextStore::Clear() {
  blocks_.clear();
  used_ = capacity_ = 0;
}

Lexicon& Lexicon::operator=(Lexicon&& other) noexcept {
  // Moving a vector keeps its buffer, so the views stay valid; the source is
  // left empty.
  entries_ = std::exchange(other.entries_, {});
  words_ = std::exchange(other.words_, nullptr);
  wordsSize_ = std::exchange(other.wordsSize_, 0);
  ownEntries_ = std::move(other.ownEntries_);
  ownWords_ = std::move(other.ownWords_);
  other.ownEntries_.clear();
  other.ownWords_.clear();
  return *this;
}

Lexicon Lexicon::Viewing(std::span<const Entry> entries, std::string_view words) {
  Lexicon lexicon;
  lexicon.entries_ = entries;
  lexicon.words_ = words.data();
  lexicon.wordsSize_ = words.size();
  return lexicon;
}

std::size_t Lexicon::LowerBound(std::string_view word) const {
  std::size_t low = 0;
  std::size_t high = entries_.size();
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (Word(mid) < word) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

void Lexicon::ViewOwn() {
  entries_ = ownEntries_;
  words_ = ownWords_.data();
  wordsSize_ = ownWords_.size();
}

void Lexicon::Reserve(std::size_t words, std::size_t bytes) {
  ownEntries_.reserve(words);
  ownWords_.reserve(bytes);
  ViewOwn();
}

void Lexicon::Add(std::string_view word, std::int32_t row) {
  if (entries_.data() != ownEntries_.data()) {
    // A viewing lexicon: copies of the viewed words first.
    const std::vector<Entry> viewed(entries_.begin(), entries_.end());
    const std::string_view words = Words();
    ownEntries_.clear();
    ownWords_.assign(words.begin(), words.end());
    ownEntries_ = viewed;
  }
  ownEntries_.push_back(
      {static_cast<std::uint32_t>(ownWords_.size()), static_cast<std::uint32_t>(word.size()), row});
  ownWords_.insert(ownWords_.end(), word.begin(), word.end());
  ViewOwn();
}

void Lexicon::ClearWords() {
  ownEntries_.clear();
  ownWords_.clear();
  ViewOwn();
}

void LoadedIndex::Clear() {
  *this = LoadedIndex();
}

}  // namespace quor
