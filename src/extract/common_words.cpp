#include "extract/common_words.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "common/encoding.h"
#include "common/strings.h"

namespace quor {

int CommonWords::LoadCommonWords(const std::u16string& path) {
  std::ifstream in(TextToUtf8(path), std::ios::binary);
  std::ostringstream bytes;
  if (in) bytes << in.rdbuf();
  if (!in || in.bad()) return LoadFromText({});
  return LoadFromText(AnsiToText(bytes.str()));
}

int CommonWords::LoadFromText(std::u16string_view text) {
  words_.clear();
  std::size_t pos = 0;
  while (pos < text.size() && Count() < kMaxWords) {
    std::size_t end = text.find_first_of(u"\r\n", pos);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string word = Trim(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size() && text[pos] == u'\r') ++pos;
    if (pos < text.size() && text[pos] == u'\n') ++pos;
    if (word.empty() || word.front() == u'\'') continue;
    words_.push_back(std::move(word));
  }
  flags_.assign(words_.size(), FlagCell{});
  return Count();
}

int CommonWords::Find(std::u16string_view word) const {
  int low = 0;
  int high = Count() - 1;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    const int order = word.compare(words_[middle]);
    if (order == 0) return middle + 1;
    if (order < 0) {
      high = middle - 1;
    } else {
      low = middle + 1;
    }
  }
  return 0;
}

void CommonWords::ClearCommonWordFlags() {
  flags_.assign(words_.size(), FlagCell{});
}

}  // namespace quor
