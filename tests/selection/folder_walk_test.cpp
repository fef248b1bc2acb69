#include "selection/folder_walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

namespace fs = std::filesystem;

// Records what the walk reports; stops the walk at a chosen poll.
struct RecordingHost : WalkObserver {
  std::vector<MessageBoxRequest> messages;
  std::vector<std::int32_t> progress;
  std::vector<std::u16string> captions;
  std::vector<std::u16string> entries;
  std::vector<std::pair<std::u16string, int>> indexed;
  std::vector<PassedOverEntry> passedOver;
  std::int32_t totalsCount = -1;
  double totalsSize = -1;
  int started = 0;
  int ended = 0;
  // List-only: the output window is closed after this many entries.
  std::size_t closeAfter = SIZE_MAX;
  // The stop is requested at this poll (1-based).
  StopToken* stop = nullptr;
  int stopAtPoll = 0;
  int polls = 0;

  MsgResult MessageBox(const MessageBoxRequest& request) override {
    messages.push_back(request);
    return MsgResult::Ok;
  }
  void Poll() override {
    if (++polls == stopAtPoll && stop) stop->RequestStop();
  }

  void PassedOver(const PassedOverEntry& entry) override { passedOver.push_back(entry); }
  void WalkStarted() override { ++started; }
  void WalkEnded() override { ++ended; }
  void CountingProgress(std::int32_t count) override { progress.push_back(count); }
  void Totals(std::int32_t count, double size) override {
    totalsCount = count;
    totalsSize = size;
  }
  bool ListFile(const std::u16string& caption, const std::u16string& entry) override {
    captions.push_back(caption);
    entries.push_back(entry);
    return entries.size() < closeAfter;
  }
  bool IndexFile(const std::u16string& fullPath, int typeCode) override {
    indexed.emplace_back(fullPath, typeCode);
    return true;
  }
};

std::string Text(std::size_t size) {
  std::string text;
  while (text.size() < size) text += "some words of text\r\n";
  text.resize(size);
  return text;
}

// "f<n>.txt", built without "literal" + std::string&& (GCC 12 at -O3 reports
// a false -Wrestrict on that).
std::string NumberedName(int n) {
  std::string name = "f";
  name += std::to_string(n);
  name += ".txt";
  return name;
}

class FolderWalkTest : public ::testing::Test {
 protected:
  FolderWalkTest() {
    fs::create_directories(Top());
    walk.rules.topFolder = Utf8ToText(Top().string() + "/");
  }

  fs::path Top() const { return tmp.Path() / "top"; }
  void Write(const std::string& relative, std::size_t size = 100) {
    tmp.Write("top/" + relative, Text(size));
  }
  std::u16string Full(const std::string& relative) const {
    return walk.rules.topFolder + Utf8ToText(relative);
  }
  WalkOutcome List() {
    walk.ListOnly = true;
    walk.IndexingPass = false;
    return walk.WalkTopFolder(host, stop);
  }
  WalkOutcome Count() {
    walk.ListOnly = false;
    walk.IndexingPass = false;
    return walk.WalkTopFolder(host, stop);
  }
  // A counting pass entry: the type digit, then the full path (built by
  // appending: GCC 12 at -O3 takes u"1" + std::u16string&& for an
  // overlapping copy).
  std::u16string CountedEntry(char16_t digit, const std::string& relative) const {
    std::u16string entry(1, digit);
    entry += Full(relative);
    return entry;
  }
  // The listed relative paths without their sizes.
  std::vector<std::u16string> Listed() const {
    std::vector<std::u16string> paths;
    for (const auto& entry : host.entries) paths.push_back(entry.substr(0, entry.rfind(u" (")));
    return paths;
  }

  test::TempFolder tmp;
  StopToken stop;
  FolderWalk walk;
  RecordingHost host;
};

TEST_F(FolderWalkTest, ListsFilesSortedByCodeThenIncludedSubfolders) {
  for (const char* name : {"b.txt", "a.txt", "B.txt", "docs/x.txt", "docs/a.txt", "src/y.txt"}) {
    Write(name);
  }
  walk.rules.IncludedSubfolders = {u"docs"};
  List();
  EXPECT_EQ(Listed(), (std::vector<std::u16string>{u"B.txt", u"a.txt", u"b.txt", u"docs/a.txt",
                                                   u"docs/x.txt"}));
  EXPECT_EQ(walk.IndexFileCount, 5);
  EXPECT_EQ(host.entries[0], u"B.txt (100 bytes)");
  EXPECT_EQ(host.captions[0], u"1 file, size 100 bytes");
  EXPECT_EQ(host.captions[4], u"5 files, total size 500 bytes");
  EXPECT_EQ(walk.IndexFileList.size(), 6u) << "entry 0 stays empty";
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(FolderWalkTest, OnlyIncludedSubfoldersAndTheTopFolderFilesUnlessExcludedAreWalked) {
  Write("a.txt");
  Write("docs/b.txt");
  Write("docs/old/c.txt");
  struct Row {
    const char* name;
    std::vector<std::u16string> included;
    bool excludeTopFiles;
    std::vector<std::u16string> listed;
  };
  const Row rows[] = {
      {"none included", {}, false, {u"a.txt"}},
      {"top folder files excluded", {u"docs"}, true, {u"docs/b.txt"}},
      {"top folder files excluded, none included", {}, true, {}},
      {"a deeper entry alone is not reached without its parent", {u"docs/old"}, true, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    host = RecordingHost();
    walk.rules.IncludedSubfolders = row.included;
    walk.rules.excludeTopFolderFiles = row.excludeTopFiles;
    List();
    EXPECT_EQ(Listed(), row.listed);
  }
}

TEST_F(FolderWalkTest, RejectsByExtensionFragmentContentAndSize) {
  Write("readme");
  Write("main.c");
  Write("x.s");
  Write("picture.png");
  Write("keep.txt");
  Write("scr.txt");
  Write("small.txt", 399);
  Write("least.txt", 400);
  Write("most.txt", 1024);
  Write("large.txt", 1025);
  tmp.Write("top/binary.txt", std::string(200, '\0'));
  walk.rules.FilepathFragments = {u"SCR."};
  walk.rules.MinFileSize = 400;
  walk.rules.MaxFileSizeKb = 1;
  List();
  EXPECT_EQ(Listed(), (std::vector<std::u16string>{u"least.txt", u"most.txt"}));
}

TEST_F(FolderWalkTest, CountingPassStoresTypeDigitAndFullPathAndShowsTotals) {
  Write("a.txt", 300);
  tmp.Write("top/unix.txt", "line one\nline two\nline three\n");
  Count();
  ASSERT_EQ(walk.IndexFileCount, 2);
  EXPECT_EQ(walk.IndexFileList[1], CountedEntry(u'1', "a.txt"));
  EXPECT_EQ(walk.IndexFileList[2], CountedEntry(u'2', "unix.txt"));
  EXPECT_EQ(host.totalsCount, 2);
  EXPECT_EQ(host.totalsSize, 329);
  EXPECT_TRUE(host.entries.empty());
}

TEST_F(FolderWalkTest, CountingLabelIsUpdatedEveryTenFilesFromFifty) {
  walk.classify = [](const std::u16string&, std::u16string&) { return 1; };
  for (int i = 0; i < 75; ++i) Write(NumberedName(100 + i), 5);
  Count();
  EXPECT_EQ(host.progress, (std::vector<std::int32_t>{50, 60, 70}));
}

TEST_F(FolderWalkTest, FileBeyondTheLimitStopsTheWalkBeforeItsEntry) {
  walk.classify = [](const std::u16string&, std::u16string&) { return 1; };
  walk.MaxFilesToIndex = 20;
  for (int i = 0; i < 25; ++i) Write(NumberedName(100 + i), 5);
  EXPECT_EQ(Count(), WalkOutcome::kLimitReached);
  EXPECT_EQ(walk.IndexFileCount, 21);
  EXPECT_EQ(walk.IndexFileList.size(), 21u) << "20 entries after the empty entry 0";
  EXPECT_EQ(host.totalsCount, -1) << "no totals for an abandoned pass";
}

TEST_F(FolderWalkTest, ClosingTheOutputWindowEndsTheListing) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) Write(name);
  host.closeAfter = 2;
  EXPECT_EQ(List(), WalkOutcome::kOutputClosed);
  EXPECT_EQ(host.entries.size(), 2u);
}

TEST_F(FolderWalkTest, NamesTheIndexCannotHoldArePassedOverAndReported) {
  struct Row {
    const char* name;
    std::string file;
    bool storable;
  } rows[] = {
      {"characters a Windows name cannot hold", "a<b>c|d*e?f:g.txt", true},
      {"backslash", "back\\slash.txt", true},
      {"accented letters", "caf\xc3\xa9.txt", true},
      {"double quote", "say \"hi\".txt", false},
      {"line feed", "two\nlines.txt", false},
      {"carriage return", "cr\r.txt", false},
      {"not UTF-8", "bad\xff.txt", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    test::TempFolder tree;
    tree.Write(row.file, Text(100));
    tree.Write("z.txt", Text(100));
    FolderWalk w;
    w.rules.topFolder = Utf8ToText(tree.Path().string() + "/");
    RecordingHost h;
    w.ListOnly = true;
    EXPECT_EQ(w.WalkTopFolder(h, stop), WalkOutcome::kCompleted);
    EXPECT_EQ(h.entries.size(), row.storable ? 2u : 1u) << "the walk goes on";
    EXPECT_TRUE(h.messages.empty());
    ASSERT_EQ(h.passedOver.size(), row.storable ? 0u : 1u);
    if (row.storable) continue;
    EXPECT_EQ(TextToUtf8(h.passedOver[0].path), tree.Path().string() + "/" + row.file);
    EXPECT_EQ(h.passedOver[0].reason, PassOverReason::kNameNotStorable);
    EXPECT_EQ(w.PassedOver.size(), 1u);
  }
}

TEST_F(FolderWalkTest, BadNameOfAFileTheSelectionLeavesOutIsNotReported) {
  Write("photo \"1\".jpg");
  Write("old/x\"y.txt");
  Write("a.txt");
  walk.rules.FilepathFragments = {u"old"};
  EXPECT_EQ(Count(), WalkOutcome::kCompleted);
  EXPECT_TRUE(host.passedOver.empty());
  EXPECT_EQ(walk.IndexFileCount, 1);
}

TEST_F(FolderWalkTest, IncludedFolderWithABadNameIsNotEnteredAndTheRestIsWalked) {
  Write("sub\"q/a.txt");
  Write("sub/b.txt");
  walk.rules.IncludedSubfolders = {u"sub\"q", u"sub"};
  EXPECT_EQ(List(), WalkOutcome::kCompleted);
  EXPECT_EQ(Listed(), (std::vector<std::u16string>{u"sub/b.txt"}));
  ASSERT_EQ(host.passedOver.size(), 1u);
  EXPECT_EQ(host.passedOver[0].path, Full("sub\"q/"));
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(FolderWalkTest, UnreadableFoldersAndFilesArePassedOverWithTheSystemReason) {
  struct Row {
    const char* name;
    std::function<void()> spoil;  // run while the first top-folder file is classified
    std::u16string path;
    std::u16string description;
  } rows[] = {
      {"folder that vanishes during the walk", [this] { fs::remove_all(Top() / "docs"); },
       Full("docs/"), u"No such file or directory"},
      {"folder that cannot be listed",
       [this] {
         fs::remove_all(Top() / "docs");
         tmp.Write("top/docs", "now a file");  // opendir fails with ENOTDIR
       },
       Full("docs/"), u"Not a directory"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(Top());
    Write("a.txt");
    Write("b.txt");
    Write("docs/c.txt");
    Write("more/d.txt");
    walk.rules.IncludedSubfolders = {u"docs", u"more"};
    host = RecordingHost();
    bool spoiled = false;
    walk.classify = [&](const std::u16string& path, std::u16string& error) {
      if (!spoiled) row.spoil();
      spoiled = true;
      return ClassifyForIndexing(path, error);
    };
    EXPECT_EQ(List(), WalkOutcome::kCompleted);
    EXPECT_EQ(Listed(), (std::vector<std::u16string>{u"a.txt", u"b.txt", u"more/d.txt"}));
    ASSERT_EQ(host.passedOver.size(), 1u);
    EXPECT_EQ(host.passedOver[0].path, row.path);
    EXPECT_EQ(host.passedOver[0].reason, PassOverReason::kUnreadable);
    EXPECT_EQ(host.passedOver[0].description, row.description);
    EXPECT_TRUE(host.messages.empty());
  }
}

TEST_F(FolderWalkTest, FileThatCannotBeClassifiedIsPassedOver) {
  Write("a.txt");
  Write("b.txt");
  walk.classify = [this](const std::u16string& path, std::u16string& error) {
    if (path == Full("a.txt")) {
      error = u"Permission denied";
      return 0;
    }
    return ClassifyForIndexing(path, error);
  };
  EXPECT_EQ(Count(), WalkOutcome::kCompleted);
  EXPECT_EQ(walk.IndexFileCount, 1);
  ASSERT_EQ(host.passedOver.size(), 1u);
  EXPECT_EQ(PassedOverLine(host.passedOver[0]),
            u"Passed over (Permission denied): " + Full("a.txt"));
}

TEST_F(FolderWalkTest, ClassifyingAheadOnThreadsCountsAsOneThreadDoes) {
  // More files than one batch, of several types, one that cannot be read,
  // one excluded by name, and a stop partway through.
  for (int n = 0; n < 150; ++n) {
    if (n % 7 == 0) {
      tmp.Write("top/" + NumberedName(n), std::string(200, '\x01'));
    } else {
      Write(NumberedName(n), n % 5 == 0 ? 10 : 100);
    }
  }
  walk.rules.ExcludedFiles = {Full(NumberedName(3))};
  walk.classify = [this](const std::u16string& path, std::u16string& error) {
    if (path == Full(NumberedName(99))) {
      error = u"Permission denied";
      return 0;
    }
    return ClassifyForIndexing(path, error);
  };
  for (const int stopAt : {0, 80}) {
    SCOPED_TRACE(stopAt);
    std::vector<std::vector<std::u16string>> lists;
    std::vector<std::vector<std::u16string>> passed;
    for (const int threads : {1, 3}) {
      walk.classifyThreads = threads;
      host = RecordingHost();
      stop.Reset();
      host.stop = &stop;
      host.stopAtPoll = stopAt;
      Count();
      lists.push_back(walk.IndexFileList);
      passed.emplace_back();
      for (const auto& entry : host.passedOver) passed.back().push_back(PassedOverLine(entry));
    }
    EXPECT_EQ(lists[0], lists[1]);
    EXPECT_EQ(passed[0], passed[1]);
    EXPECT_EQ(passed[0].size(), stopAt == 0 ? 1u : 0u);
  }
}

TEST_F(FolderWalkTest, UnreadableSubfolderIsPassedOverForAnOrdinaryUser) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser";
  Write("a.txt");
  Write("docs/b.txt");
  fs::permissions(Top() / "docs", fs::perms::none);
  walk.rules.IncludedSubfolders = {u"docs"};
  EXPECT_EQ(List(), WalkOutcome::kCompleted);
  fs::permissions(Top() / "docs", fs::perms::owner_all);
  EXPECT_EQ(Listed(), (std::vector<std::u16string>{u"a.txt"}));
  ASSERT_EQ(host.passedOver.size(), 1u);
  EXPECT_EQ(host.passedOver[0].description, u"Permission denied");
}

TEST(PassedOverNoticeTest, GroupsByReasonShowsTenPathsAndCountsTheRest) {
  std::vector<PassedOverEntry> entries;
  for (int i = 1; i <= 12; ++i) {
    entries.push_back({u"/t/" + ToText(i) + u"\"", PassOverReason::kNameNotStorable, {}});
  }
  entries.push_back({u"/t/docs/", PassOverReason::kUnreadable, u"Permission denied"});
  std::u16string expected =
      u"12 files or folders were passed over because their names cannot be stored in the index:";
  for (int i = 1; i <= 10; ++i) expected += u"\r\n/t/" + ToText(i) + u"\"";
  expected +=
      u"\r\n... and 2 more.\r\n\r\n1 file or folder was passed over because it cannot be "
      u"read:\r\n/t/docs/ (Permission denied)";
  EXPECT_EQ(PassedOverNotice(entries), expected);
  EXPECT_EQ(PassedOverNotice({}), u"");
}

TEST_F(FolderWalkTest, LinksToFilesAreFollowedLinksToFoldersAndSpecialFilesAreNot) {
  Write("docs/a.txt");
  fs::create_symlink(Top() / "docs" / "a.txt", Top() / "link.txt");
  fs::create_symlink(Top(), Top() / "docs" / "loop");
  fs::create_symlink(Top() / "missing.txt", Top() / "broken.txt");
  ASSERT_EQ(::mkfifo((Top() / "pipe.txt").c_str(), 0600), 0);
  walk.rules.IncludedSubfolders = {u"docs", u"docs/loop"};
  walk.rules.includeNestedSubfolders = true;
  List();
  EXPECT_EQ(Listed(), (std::vector<std::u16string>{u"link.txt", u"docs/a.txt"}));
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(FolderWalkTest, IndexingPassHandsListedFilesOverInWalkOrder) {
  Write("a.txt");
  tmp.Write("top/b.txt", "line one\nline two\n");
  Write("docs/c.txt");
  walk.rules.IncludedSubfolders = {u"docs"};
  Count();
  ASSERT_EQ(walk.IndexFileCount, 3);
  Write("added.txt");  // appears between the passes: passed over
  walk.IndexingPass = true;
  EXPECT_EQ(walk.WalkTopFolder(host, stop), WalkOutcome::kCompleted);
  using Indexed = std::vector<std::pair<std::u16string, int>>;
  EXPECT_EQ(host.indexed,
            (Indexed{{Full("a.txt"), 1}, {Full("b.txt"), 2}, {Full("docs/c.txt"), 1}}));
  EXPECT_EQ(walk.IndexFileCount, 3) << "the indexing pass keeps the list";
}

TEST_F(FolderWalkTest, IndexingPassEndsWhenTheBuildStops) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) Write(name);
  Count();
  struct StopAtSecond : RecordingHost {
    bool IndexFile(const std::u16string& path, int code) override {
      RecordingHost::IndexFile(path, code);
      return indexed.size() < 2;
    }
  } stopping;
  walk.IndexingPass = true;
  EXPECT_EQ(walk.WalkTopFolder(stopping, stop), WalkOutcome::kStopped);
  EXPECT_EQ(stopping.indexed.size(), 2u);
}

TEST_F(FolderWalkTest, StopRequestedDuringEventsEndsTheWalk) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) Write(name);
  host.stop = &stop;
  host.stopAtPoll = 2;
  EXPECT_EQ(List(), WalkOutcome::kStopped);
  EXPECT_EQ(Listed(), (std::vector<std::u16string>{u"a.txt"}));
}

}  // namespace
}  // namespace quor
