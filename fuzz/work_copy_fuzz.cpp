// Reads arbitrary bytes as a work copy of a loaded index, made for a fixed
// index file. The first byte chooses: the bytes as they are, or a copy made
// from an index described by the bytes, damaged where they say and sealed
// with a matching checksum, so that the checks behind the checksum are
// reached. A copy that is accepted must be viewed wholly inside its bytes,
// find each of its words where it lies, and be the very copy its contents
// make again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/encoding.h"
#include "search/loaded_index.h"
#include "search/work_copy.h"

namespace {

const quor::IndexFileIdentity kIdentity{7,          11, 4096,      1700000000, 5,
                                        1700000001, 6,  {1, 2, 3}, {4, 5, 6}};

// Aborts unless view lies inside bytes.
template <typename T>
void CheckInside(std::basic_string_view<T> view, std::span<const char> bytes) {
  const auto* at = reinterpret_cast<const char*>(view.data());
  if (view.empty()) return;
  if (at < bytes.data() || at + view.size() * sizeof(T) > bytes.data() + bytes.size()) {
    std::abort();
  }
}

void CheckAccepted(std::span<const char> bytes) {
  std::optional<quor::WorkCopyView> copy = quor::ReadWorkCopy(bytes, kIdentity);
  if (!copy) return;
  const std::int64_t expandedLength = copy->expandedLength;
  quor::LoadedIndex index;
  quor::FillFromWorkCopy(std::move(*copy), index);
  if (index.FileCount != static_cast<std::int32_t>(index.FileList.size()) ||
      index.WordCount != static_cast<std::int32_t>(index.Lexicon.size())) {
    std::abort();
  }
  for (const std::u16string_view path : index.FileList) CheckInside(path, bytes);
  for (std::size_t i = 0; i < index.Lexicon.size(); ++i) {
    const std::string_view word = index.Lexicon.Word(i);
    CheckInside(word, bytes);
    const std::int32_t row = index.Lexicon.RowNumber(i);
    if (row < 1 || row > index.WordCount || index.Lexicon.LowerBound(word) != i) std::abort();
  }
  const std::string again = quor::MakeWorkCopy(index, kIdentity, expandedLength);
  if (std::string_view(again) != std::string_view(bytes.data(), bytes.size())) std::abort();
}

// An index described by text: the title, a number of paths and then words,
// one a line (sorted unless the first line is empty).
quor::LoadedIndex Describe(std::string_view text, std::size_t paths) {
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  quor::LoadedIndex index;
  index.IndexTitle = quor::Utf8ToText(lines[0]);
  std::size_t k = 1;
  for (; k < lines.size() && k <= paths; ++k) {
    index.FileList.push_back(index.Texts.InternUtf8(lines[k]));
  }
  std::vector<std::string_view> words(lines.begin() + static_cast<std::ptrdiff_t>(k), lines.end());
  if (!lines[0].empty()) {
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
  }
  std::int32_t row = 0;
  for (const std::string_view word : words) index.Lexicon.Add(word, ++row);
  index.FileCount = static_cast<std::int32_t>(index.FileList.size());
  index.WordCount = static_cast<std::int32_t>(index.Lexicon.size());
  return index;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string bytes;
  if (data[0] & 0x80) {
    // The description up to a NUL; then damage: pairs of a 16-bit position
    // and a byte to XOR there.
    const std::size_t end = std::min(input.find('\0'), input.size());
    const quor::LoadedIndex index = Describe(input.substr(0, end), data[0] & 0x07);
    bytes = quor::MakeWorkCopy(index, kIdentity, data[0] & 0x40 ? 0 : 1234);
    const std::string_view damage = input.substr(std::min(end + 1, input.size()));
    for (std::size_t i = 0; i + 2 < damage.size() && !bytes.empty(); i += 3) {
      const std::size_t at =
          (static_cast<unsigned char>(damage[i]) | static_cast<unsigned char>(damage[i + 1]) << 8) %
          bytes.size();
      bytes[at] = static_cast<char>(bytes[at] ^ damage[i + 2]);
    }
    if (!(data[0] & 0x20)) quor::ResealWorkCopy(bytes);
  } else {
    bytes.assign(input);
  }
  // Aligned as a mapping is.
  std::vector<std::uint64_t> aligned((bytes.size() + 7) / 8);
  if (!bytes.empty()) std::memcpy(aligned.data(), bytes.data(), bytes.size());
  CheckAccepted({reinterpret_cast<const char*>(aligned.data()), bytes.size()});
  return 0;
}
