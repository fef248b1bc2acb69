// The sorting and searching helpers of strings.h.
#include "common/strings.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <vector>

namespace quor {

void SortStrings(TextList& list, int first, int last, bool folded) {
  first = std::max(first, 0);
  last = std::min(last, static_cast<int>(list.size()) - 1);
  if (first >= last) return;
  const auto begin = list.begin() + first;
  const auto end = list.begin() + last + 1;
  if (!folded) {
    std::stable_sort(begin, end);
    return;
  }
  // Fold every entry once, sort positions by the folded texts, then move the
  // entries into that order. Entries equal when folded keep their order.
  const std::size_t count = static_cast<std::size_t>(last - first + 1);
  std::vector<std::u16string> keys;
  keys.reserve(count);
  for (auto it = begin; it != end; ++it) keys.push_back(FoldCase(*it));
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  TextList sorted;
  sorted.reserve(count);
  for (std::size_t i : order)
    sorted.push_back(std::move(*(begin + static_cast<std::ptrdiff_t>(i))));
  std::move(sorted.begin(), sorted.end(), begin);
}

int FindInList(std::u16string_view value, const TextList& list, int first, int count,
               bool exactCase, int fromChar) {
  first = std::max(first, 0);
  const int end =
      static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(first) + std::max(count, 0),
                                              static_cast<std::int64_t>(list.size())));
  const std::size_t skip = static_cast<std::size_t>(std::max(fromChar, 0));
  for (int i = first; i < end; ++i) {
    std::u16string_view entry = list[static_cast<std::size_t>(i)];
    entry = skip < entry.size() ? entry.substr(skip) : std::u16string_view();
    if (exactCase ? entry == value : EqualFolded(entry, value)) return i;
  }
  return -1;
}

void SortByKeyDescending(TextList& list) {
  // The key is a count right-aligned in a fixed width, so texts compare by
  // count first when compared as a whole; equal keys then compare by the rest.
  std::stable_sort(list.begin(), list.end(), std::greater<>());
}

}  // namespace quor
