#include "selection/subfolder_stats.h"

#include <gtest/gtest.h>

#include <string>

#include "common/encoding.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

struct CountingObserver : FolderCountObserver {
  int reads = 0;
  void FolderRead() override { ++reads; }
};

TEST(SpecialFolderTest, TrashAndSystemFoldersByTheirPlace) {
  struct Row {
    const char16_t* path;
    bool parentIsRoot;
    SpecialFolder expected;
  };
  const Row rows[] = {
      {u"/media/usb/.Trash-1000", true, SpecialFolder::Trash},
      {u"/data/.Trash", false, SpecialFolder::Trash},
      {u"/home/ann/.local/share/Trash/", false, SpecialFolder::Trash},
      {u"/data/.Trash-", false, SpecialFolder::None},
      {u"/data/.Trash-10x", false, SpecialFolder::None},
      {u"/data/Trash", false, SpecialFolder::None},
      {u"/proc", true, SpecialFolder::System},
      {u"/run/", true, SpecialFolder::System},
      {u"/home/ann/proc", false, SpecialFolder::None},
      {u"/lost+found", true, SpecialFolder::System},
      {u"/mnt/disk/lost+found", true, SpecialFolder::System},
      {u"/home/ann/lost+found", false, SpecialFolder::None},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.path));
    EXPECT_EQ(ClassifySpecialFolder(row.path, row.parentIsRoot), row.expected);
  }
  EXPECT_TRUE(IsFileSystemRoot(u"/"));
}

class CountFolderTest : public ::testing::Test {
 protected:
  std::u16string Path(const std::string& relative) const {
    return Utf8ToText((tmp.Path() / relative).string());
  }
  FolderStatistic Count(const std::string& relative, const FolderReader& read = ReadFolder) {
    return CountFolder(Path(relative), read, observer, stop);
  }
  test::TempFolder tmp;
  CountingObserver observer;
  StopToken stop;
};

TEST_F(CountFolderTest, SizeOfTheFirst200FilesBelowTheFolder) {
  for (int i = 0; i < 150; ++i) tmp.Write("a/f" + std::to_string(i) + ".txt", "12345");
  for (int i = 0; i < 100; ++i) tmp.Write("a/deep/g" + std::to_string(i) + ".txt", "1234567890");
  tmp.Write("b/one.txt", std::string(2048, 'x'));
  tmp.MakeFolder("b/empty");
  for (int i = 0; i < 200; ++i) tmp.Write("c/x/f" + std::to_string(i), "1");
  tmp.MakeFolder("d");

  const FolderStatistic a = Count("a");
  EXPECT_EQ(a.files, 150);
  EXPECT_EQ(a.subfolders, 1);
  EXPECT_TRUE(a.cutOff);
  EXPECT_EQ(a.size, 150 * 5 + 50 * 10);
  EXPECT_EQ(StatisticText(a), u"150 files and 1 subfolder, over 1.22 Kb");

  const FolderStatistic b = Count("b");
  EXPECT_FALSE(b.cutOff);
  EXPECT_EQ(StatisticText(b), u"1 file and 1 subfolder, 2.00 Kb");
  // Exactly the limit is a complete count.
  const FolderStatistic c = Count("c");
  EXPECT_FALSE(c.cutOff);
  EXPECT_EQ(StatisticText(c), u"no files and 1 subfolder, 200 bytes");
  EXPECT_EQ(StatisticText(Count("d")), u"no files and no subfolders");
  EXPECT_FALSE(Count("d").Selectable());
}

TEST_F(CountFolderTest, NeitherTrashNorUnreadableFoldersBelowAreCounted) {
  tmp.Write("p/a.txt", "abc");
  tmp.Write("p/.Trash-1000/files/big.txt", std::string(5000, 'x'));
  tmp.Write("p/locked/secret.txt", std::string(7000, 'x'));
  tmp.Write("p/open/b.txt", "defg");
  const std::u16string locked = Path("p/locked");
  FolderReader read = [&](const std::u16string& folder, FolderListing& listing,
                          std::u16string& error) {
    if (folder == locked) {
      error = u"Permission denied";
      return false;
    }
    return ReadFolder(folder, listing, error);
  };
  const FolderStatistic p = Count("p", read);
  EXPECT_EQ(p.subfolders, 3);
  EXPECT_EQ(p.size, 7);
  EXPECT_EQ(observer.reads, 3);  // p, locked (failed), open

  const FolderStatistic unreadable = Count("p/locked", read);
  EXPECT_FALSE(unreadable.readable);
  EXPECT_FALSE(unreadable.Selectable());
  EXPECT_EQ(StatisticText(unreadable), u"permission denied");
}

TEST_F(CountFolderTest, StopEndsTheCountAfterTheFolderInHand) {
  tmp.Write("s/a.txt", "abc");
  tmp.Write("s/sub/b.txt", "defg");
  stop.RequestStop();
  const FolderStatistic s = Count("s");
  EXPECT_EQ(s.files, 1);
  EXPECT_EQ(s.size, 3);
  EXPECT_EQ(observer.reads, 1);
}

TEST_F(CountFolderTest, ListedSubfoldersAreSortedFoldedWithoutTrashOrUnholdableNames) {
  for (const char* name : {"beta", "Alpha", "gamma", ".Trash-0", "quo\"te", "Beta2"}) {
    tmp.MakeFolder(name);
  }
  tmp.Write("file.txt", "x");
  TextList names;
  std::u16string error;
  ASSERT_TRUE(ListSubfolders(Path(""), ReadFolder, names, error));
  EXPECT_EQ(names, (TextList{u"Alpha", u"beta", u"Beta2", u"gamma"}));
  EXPECT_FALSE(ListSubfolders(Path("missing"), ReadFolder, names, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace quor
