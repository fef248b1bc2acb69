#include "search/loaded_index.h"

#include <algorithm>

#include "common/encoding.h"

namespace quor {

namespace {

constexpr std::size_t kBlockUnits = 256 * 1024;

}  // namespace

void TextStore::Reserve(std::size_t units) {
  if (capacity_ - used_ >= units) return;
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
  // Paths and words are mostly ASCII: one unit per byte, no conversion.
  const bool ascii = std::all_of(utf8.begin(), utf8.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii) return Intern(Utf8ToText(utf8));
  char16_t* at = Room(utf8.size());
  std::transform(utf8.begin(), utf8.end(), at,
                 [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
  used_ += utf8.size();
  return {at, utf8.size()};
}

void TextStore::Clear() {
  blocks_.clear();
  used_ = capacity_ = 0;
}

void LoadedIndex::Clear() {
  *this = LoadedIndex();
}

}  // namespace quor
