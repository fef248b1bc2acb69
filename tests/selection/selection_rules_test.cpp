#include "selection/selection_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace quor {
namespace {

constexpr char16_t kTop[] = u"/data/top/";

SelectionRules Rules() {
  SelectionRules rules;
  rules.topFolder = kTop;
  return rules;
}

TEST(ExcludedExtension, MatchesAnyTailOfAListedExtension) {
  const std::u16string list = BuildExcludedExtensionList();
  struct Row {
    const char* name;
    std::u16string ext;
    bool excluded;
  } rows[] = {
      {"listed", u"pdf", true},
      {"listed in capitals", u"PDF", true},
      {"last entry", u"htaccess", true},
      {"tail of htaccess", u"access", true},
      {"no extension", u"", true},
      {"c is the tail of doc", u"c", true},
      {"s is the tail of bas", u"s", true},
      {"x is the tail of fx", u"x", true},
      {"txt", u"txt", false},
      {"html", u"html", false},
      {"cpp", u"cpp", false},
      {"h", u"h", false},
      {"docx", u"docx", false},
      {"head of a listed one", u"jp", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(IsExcludedExtension(list, row.ext), row.excluded);
  }
}

TEST(ExcludedFile, AppliesExtensionTopFolderAndExcludedListInTurn) {
  struct Row {
    const char* name;
    std::u16string path;
    bool excludeTop;
    bool excluded;
  } rows[] = {
      {"readme has no extension", u"/data/top/readme", false, true},
      {"main.c ends in a tail of doc", u"/data/top/src/main.c", false, true},
      {"x.s ends in a tail of bas", u"/data/top/x.s", false, true},
      {"dot in a folder name only", u"/data/top/v1.2/readme", false, true},
      {"plain text", u"/data/top/notes.txt", false, false},
      {"top-folder file with the box checked", u"/data/top/notes.txt", true, true},
      {"subfolder file with the box checked", u"/data/top/docs/notes.txt", true, false},
      {"listed excluded file", u"/data/top/docs/old.txt", false, true},
      {"listed name in another folder", u"/data/top/old.txt", false, false},
      {"listed name in other case", u"/data/top/docs/OLD.txt", false, false},
      {"listed top-level file", u"/data/top/skip.html", false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SelectionRules rules = Rules();
    rules.excludeTopFolderFiles = row.excludeTop;
    rules.ExcludedFiles = {u"docs/old.txt", u"skip.html"};
    EXPECT_EQ(rules.IsExcludedFile(row.path), row.excluded);
  }
}

TEST(ExcludedFragment, SplitsAtCommasKeepingEmptyPiecesAndMatchesFolded) {
  struct Row {
    const char* name;
    std::u16string fragments;
    std::u16string path;
    bool excluded;
  } rows[] = {
      {"no fragments", u"", u"/data/top/a.txt", false},
      {"blank text gives none", u"   ", u"/data/top/a.txt", false},
      {"fragment in folder", u"tmp", u"/data/top/tmp/a.txt", true},
      {"fragment in other case", u"tmp", u"/data/top/TMP/a.txt", true},
      {"fragment absent", u"tmp,old", u"/data/top/new/a.txt", false},
      {"second fragment trimmed", u"tmp, old", u"/data/top/old/a.txt", true},
      {"an empty piece excludes all", u"tmp, ,old", u"/data/top/new/a.txt", true},
      {"the top folder's own path counts", u"data", u"/data/top/a.txt", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SelectionRules rules = Rules();
    rules.FilepathFragments = SplitFragments(row.fragments);
    EXPECT_EQ(rules.ContainsExcludedFragment(row.path), row.excluded);
  }
  EXPECT_EQ(SplitFragments(u"tmp, ,old"), (TextList{u"tmp", u"", u"old"}));
}

TEST(SizeLimits, BothBoundsAreInclusive) {
  SelectionRules rules = Rules();
  rules.MinFileSize = 400;
  rules.MaxFileSizeKb = 4000;
  struct Row {
    std::int64_t size;
    bool accepted;
  } rows[] = {{399, false}, {400, true}, {4096000, true}, {4096001, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    EXPECT_EQ(rules.IsSizeAccepted(row.size), row.accepted);
  }
  rules.MaxFileSizeKb = 0;
  EXPECT_TRUE(rules.IsSizeAccepted(std::int64_t{1} << 40)) << "0 means no upper limit";
}

TEST(SizeFieldValue, TakesTheLeadingRoundedNumber) {
  struct Row {
    std::u16string text;
    std::int64_t value;
  } rows[] = {{u"400", 400}, {u" 400 ", 400}, {u"12kb", 12}, {u"abc", 0}, {u"", 0},
              {u"1.5", 2},   {u"2.5", 2},     {u"0", 0},     {u"-5", 0},  {u"9999", 9999}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.text.begin(), row.text.end()));
    EXPECT_EQ(SizeFieldValue(row.text), row.value);
  }
}

TEST(IncludedFolder, FollowsTheListAndTheNestedBox) {
  struct Row {
    const char* name;
    std::u16string folder;
    bool nested;
    bool excludeTop;
    bool included;
  } rows[] = {
      {"top folder", u"/data/top/", false, false, true},
      {"top folder with its files excluded", u"/data/top/", false, true, false},
      {"listed subfolder", u"/data/top/docs", false, false, true},
      {"listed subfolder with separator", u"/data/top/docs/", false, false, true},
      {"unlisted subfolder", u"/data/top/src", false, false, false},
      {"below a listed one, not nested", u"/data/top/docs/old", false, false, false},
      {"below a listed one, nested", u"/data/top/docs/old/2019", true, false, true},
      {"docs2 is not under docs", u"/data/top/docs2", true, false, false},
      {"listed deeper entry", u"/data/top/lib/inner", false, false, true},
      {"nested, path holds a fragment", u"/data/top/docs/tmp", true, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SelectionRules rules = Rules();
    rules.IncludedSubfolders = {u"docs", u"lib/inner"};
    rules.FilepathFragments = {u"tmp"};
    rules.includeNestedSubfolders = row.nested;
    rules.excludeTopFolderFiles = row.excludeTop;
    EXPECT_EQ(rules.IsIncludedFolder(row.folder), row.included);
  }
}

TEST(IncludedFolder, EmptyEntryIncludesNothing) {
  SelectionRules rules = Rules();
  rules.IncludedSubfolders = {u""};
  rules.includeNestedSubfolders = true;
  EXPECT_FALSE(rules.IsIncludedFolder(u"/data/top/docs"));
}

TEST(ExcludedFilesEntry, FullPathsAreNotRelative) {
  EXPECT_TRUE(IsRelativeEntry(u"docs/a.txt"));
  EXPECT_FALSE(IsRelativeEntry(u"/data/a.txt"));
  EXPECT_FALSE(IsRelativeEntry(u"\\a.txt"));
  EXPECT_FALSE(IsRelativeEntry(u"C:\\a.txt"));
}

}  // namespace
}  // namespace quor
