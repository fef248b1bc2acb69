#include "search/loaded_index.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

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

void Lexicon::FreeText::operator()(char* text) const {
  std::free(text);
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

void Lexicon::AdoptText(char* text, std::size_t size) {
  // Words viewed in the old text move into the copies first.
  for (Entry& e : entries_) {
    if (e.copied) continue;
    const std::string_view word(text_.get() + e.offset, e.size);
    e.offset = static_cast<std::uint32_t>(copies_.size());
    e.copied = 1;
    copies_ += word;
  }
  text_.reset(text);
  textSize_ = size;
}

void Lexicon::Add(std::string_view word, std::int32_t row) {
  Entry e;
  e.size = static_cast<std::uint32_t>(word.size());
  e.row = row;
  const auto at = reinterpret_cast<std::uintptr_t>(word.data());
  const auto text = reinterpret_cast<std::uintptr_t>(text_.get());
  if (text_ && at >= text && at - text <= textSize_ && word.size() <= textSize_ - (at - text)) {
    e.offset = static_cast<std::uint32_t>(at - text);
  } else {
    e.offset = static_cast<std::uint32_t>(copies_.size());
    e.copied = 1;
    copies_ += word;
  }
  entries_.push_back(e);
}

void Lexicon::ClearWords() {
  entries_.clear();
  copies_.clear();
}

void LoadedIndex::Clear() {
  *this = LoadedIndex();
}

}  // namespace quor
