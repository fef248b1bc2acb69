#include "selection/subfolder_stats.h"

#include <gtest/gtest.h>

#include <string>

#include "common/encoding.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

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
      {u"/data/.Trash-10x", false, SpecialFolder::None},
      {u"/data/Trash", false, SpecialFolder::None},
      {u"/proc", true, SpecialFolder::System},
      {u"/run/", true, SpecialFolder::System},
      {u"/home/ann/proc", false, SpecialFolder::None},
      {u"/mnt/disk/lost+found", true, SpecialFolder::System},
      {u"/home/ann/lost+found", false, SpecialFolder::None},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.path));
    EXPECT_EQ(ClassifySpecialFolder(row.path, row.parentIsRoot), row.expected);
  }
  EXPECT_TRUE(IsFileSystemRoot(u"/"));
}

struct CountingObserver : FolderCountObserver {
  int reads = 0;
  void FolderRead() override { ++reads; }
};

TEST(CountFolderTest, SizeOfTheFirst200FilesDepthFirstPassingOverTrashAndUnreadableFolders) {
  test::TempFolder tmp;
  for (int i = 0; i < 150; ++i) tmp.Write("a/f" + std::to_string(i) + ".txt", "12345");
  for (int i = 0; i < 100; ++i) tmp.Write("a/deep/g" + std::to_string(i) + ".txt", "1234567890");
  for (int i = 0; i < 200; ++i) tmp.Write("c/x/f" + std::to_string(i), "1");
  tmp.Write("p/a.txt", "abc");
  tmp.Write("p/.Trash-1000/files/big.txt", std::string(5000, 'x'));
  tmp.Write("p/locked/secret.txt", std::string(7000, 'x'));
  tmp.Write("p/open/b.txt", "defg");
  auto path = [&](const char* relative) { return Utf8ToText((tmp.Path() / relative).string()); };
  const std::u16string locked = path("p/locked");
  FolderReader read = [&](const std::u16string& folder, FolderListing& listing,
                          std::u16string& error) {
    if (folder != locked) return ReadFolder(folder, listing, error);
    error = u"Permission denied";
    return false;
  };
  CountingObserver observer;
  StopToken stop;

  const FolderStatistic a = CountFolder(path("a"), read, observer, stop);
  EXPECT_TRUE(a.cutOff);
  EXPECT_EQ(a.size, 150 * 5 + 50 * 10);
  EXPECT_EQ(StatisticText(a), u"150 files and 1 subfolder, over 1.22 Kb");
  // Exactly the limit is a complete count.
  EXPECT_EQ(StatisticText(CountFolder(path("c"), read, observer, stop)),
            u"no files and 1 subfolder, 200 bytes");

  observer.reads = 0;
  const FolderStatistic p = CountFolder(path("p"), read, observer, stop);
  EXPECT_EQ(StatisticText(p), u"1 file and 3 subfolders, 7 bytes");
  EXPECT_EQ(observer.reads, 3);  // p, locked (failed), open
  const FolderStatistic unreadable = CountFolder(locked, read, observer, stop);
  EXPECT_FALSE(unreadable.Selectable());
  EXPECT_EQ(StatisticText(unreadable), u"permission denied");

  // A stopped count ends after the folder in hand.
  stop.RequestStop();
  EXPECT_EQ(CountFolder(path("p"), read, observer, stop).size, 3);
}

TEST(ListSubfoldersTest, SortedFoldedWithoutTrashOrNamesAPathCannotHold) {
  test::TempFolder tmp;
  for (const char* name : {"beta", "Alpha", "gamma", ".Trash-0", "quo\"te", "Beta2"}) {
    tmp.MakeFolder(name);
  }
  TextList names;
  std::u16string error;
  ASSERT_TRUE(ListSubfolders(tmp.Text(), ReadFolder, names, error));
  EXPECT_EQ(names, (TextList{u"Alpha", u"beta", u"Beta2", u"gamma"}));
  EXPECT_FALSE(ListSubfolders(tmp.Text() + u"missing", ReadFolder, names, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace quor
