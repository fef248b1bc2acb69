#include <gtest/gtest.h>

#include <string>

#include "common/strings.h"

namespace quor {
namespace {

// The entries of a list written as one text, separated by spaces.
TextList Entries(std::u16string_view text) {
  TextList list;
  SplitList(text, u" ", list, true, 0, 0);
  return list;
}

TEST(SortStrings, SortsARangeByPlainCodeOrByFoldedText) {
  struct Row {
    const char* name;
    std::u16string list;
    int first;
    int last;
    bool folded;
    std::u16string sorted;
  };
  const Row rows[] = {
      {"plain code puts capitals first", u"b a B A", 0, 3, false, u"A B a b"},
      {"folded ignores case, keeps equal entries in order", u"b a B A", 0, 3, true, u"a A b B"},
      {"accented capital folds beside its small letter", u"f \u00c9 e \u00e9", 0, 3, true,
       u"e f \u00c9 \u00e9"},
      {"prefix sorts first", u"docs/old docs doc", 0, 2, false, u"doc docs docs/old"},
      {"only the range moves", u"z c b a 0", 1, 3, false, u"z a b c 0"},
      {"range clamped to the list", u"c b a", -5, 10, false, u"a b c"},
      {"empty range", u"b a", 1, 0, false, u"b a"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TextList list = Entries(row.list);
    SortStrings(list, row.first, row.last, row.folded);
    EXPECT_EQ(list, Entries(row.sorted));
  }
}

TEST(FindInList, ComparesEachEntryFromTheGivenCharacter) {
  const TextList list = {u"1/top/a.txt", u"2/top/B.txt", u"1/top/b.txt", u"x"};
  struct Row {
    const char* name;
    std::u16string value;
    int first;
    int count;
    bool exactCase;
    int fromChar;
    int index;
  };
  const Row rows[] = {
      {"whole entry", u"x", 0, 4, true, 0, 3},
      {"type digit skipped", u"/top/a.txt", 0, 4, true, 1, 0},
      {"exact case finds the lower entry", u"/top/b.txt", 0, 4, true, 1, 2},
      {"folded finds the first match", u"/TOP/b.txt", 0, 4, false, 1, 1},
      {"exact case misses other case", u"/TOP/b.txt", 0, 4, true, 1, -1},
      {"search starts at first", u"/top/b.txt", 2, 2, false, 1, 2},
      {"count limits the search", u"x", 0, 3, true, 0, -1},
      {"count past the end is clamped", u"x", 1, 100, true, 0, 3},
      {"fromChar past an entry's end", u"", 3, 1, true, 5, 3},
      {"not found", u"/top/c.txt", 0, 4, false, 1, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FindInList(row.value, list, row.first, row.count, row.exactCase, row.fromChar),
              row.index);
  }
}

TEST(SortByKeyDescending, PutsHigherCountsFirstAndEqualKeysByDecreasingRest) {
  TextList list = {
      u"        7docs/a.txt", u"       12docs/b.txt", u"        7docs/c.txt",
      u"      120z.txt",      u"        7Docs/d.txt", u"        0e.txt",
  };
  SortByKeyDescending(list);
  const TextList expected = {
      u"      120z.txt",      u"       12docs/b.txt", u"        7docs/c.txt",
      u"        7docs/a.txt", u"        7Docs/d.txt", u"        0e.txt",
  };
  EXPECT_EQ(list, expected);
}

}  // namespace
}  // namespace quor
