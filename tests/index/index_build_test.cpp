// The index build driven directly: a request, a recording observer, the
// stop token, and the files and result it leaves.
#include "index/index_build.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/files.h"
#include "extract/program_texts.h"
#include "support/goldens.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

namespace fs = std::filesystem;
using test::Golden;

std::u16string U(const fs::path& path) {
  return Utf8ToText(path.string());
}

// Records the build's reports as short lines and its messages in full; can
// request the stop when a chosen report arrives.
struct RecordingObserver : IndexBuildObserver {
  std::vector<std::string> events;
  std::vector<MessageBoxRequest> messages;
  StopToken* stop = nullptr;
  std::string stopAt;  // the event (or the start of it) that requests the stop
  std::function<void()> onWritingEnded;

  void Note(std::string event) {
    if (stop && !stopAt.empty() && event.starts_with(stopAt)) stop->RequestStop();
    events.push_back(std::move(event));
  }
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    messages.push_back(request);
    return MsgResult::Ok;
  }
  void Totals(std::int32_t count, double size) override {
    Note("totals " + std::to_string(count) + " " + std::to_string(static_cast<int>(size)));
  }
  void CountingDone(std::int32_t count) override { Note("counted " + std::to_string(count)); }
  void IndexingStarted(std::int32_t total) override { Note("indexing " + std::to_string(total)); }
  void FileStarted(const std::u16string&, std::int32_t n, std::int32_t total,
                   std::int32_t words) override {
    Note("file " + std::to_string(n) + "/" + std::to_string(total) + " " + std::to_string(words));
  }
  void IndexingDone(std::int32_t n, std::int32_t, std::int32_t words) override {
    Note("indexed " + std::to_string(n) + " " + std::to_string(words));
  }
  void WritingStarted(std::int32_t words) override { Note("writing " + std::to_string(words)); }
  void WritingEnded() override {
    Note("written");
    if (onWritingEnded) onWritingEnded();
  }
};

class IndexBuildTest : public ::testing::Test {
 protected:
  IndexBuildTest() {
    fs::create_directories(Out());
    texts.Set(48, u"Data file error");
  }

  fs::path Top() const { return tmp.Path() / "top"; }
  fs::path Out() const { return tmp.Path() / "out"; }
  void WriteTwoFiles() {
    tmp.Write("top/a.txt", "Cats and dogs, cats");
    tmp.Write("top/sub/b.htm", "<b>Dogs</b>");
  }
  IndexBuildResult Build(std::u16string title = u"My docs") {
    IndexBuildRequest request;
    request.projectName = u"proj";
    request.title = std::move(title);
    request.outputFolder = U(Out());
    request.rules.topFolder = U(Top()) + u"/";
    request.rules.IncludedSubfolders = included;
    request.texts = &texts;
    request.tempFolder = U(tmp.Path());
    request.maxFilesToIndex = limit;
    request.freeSpace = freeSpace;
    request.commonWords = commonWords;
    request.threads = threads;
    observer.stop = &stop;
    return builder.Run(request, observer, stop);
  }
  std::vector<std::string> OutputFiles() const { return test::SortedNames(Out()); }
  std::string IndexText() const {
    return test::ExpandedIndexText(Out() / "proj_index.quor", tmp.Path() / "text");
  }

  test::TempFolder tmp;
  ProgramTexts texts;
  TextList included{u"sub"};
  std::int32_t limit = kMaxFilesToIndex;
  FreeSpaceQuery freeSpace;
  CommonWords commonWords;
  std::int32_t threads = 0;
  StopToken stop;
  RecordingObserver observer;
  IndexBuilder builder;
};

TEST_F(IndexBuildTest, TwoFileExampleGivesTheGoldenFilesAndReportsEveryStage) {
  WriteTwoFiles();
  const IndexBuildResult result = Build();

  EXPECT_TRUE(observer.messages.empty());
  EXPECT_EQ(IndexText(), Golden("two_files_index.txt"));
  EXPECT_EQ(tmp.Read("out/proj_data.quor"), Golden("two_files_data.bin"));
  EXPECT_EQ(observer.events,
            (std::vector<std::string>{"totals 2 30", "counted 2", "indexing 2", "file 1/2 0",
                                      "file 2/2 3", "indexed 2 3", "writing 3", "written"}));
  EXPECT_EQ(result.end, IndexBuildEnd::kFinished);
  EXPECT_EQ(result.resultText, u"Data extraction completed.");
  EXPECT_TRUE(result.indexCreated);
  EXPECT_EQ(result.fileCount, 2);
  EXPECT_EQ(result.totalFileSize, 30);
  EXPECT_EQ(result.totalTextSize, 30);
  EXPECT_EQ(result.wordCount, 3);
  EXPECT_EQ(result.indexTextLength, 135);
  EXPECT_EQ(result.dataFileSize, 10);
  EXPECT_EQ(result.indexFileSize,
            static_cast<std::int64_t>(fs::file_size(Out() / "proj_index.quor")));
  EXPECT_EQ(result.fileList, (TextList{u"", u"a.txt", u"sub/b.htm"}));
}

TEST_F(IndexBuildTest, StopAtAnyStageEndsAsStoppedWithNoFileLeft) {
  struct Row {
    const char* stopAt;
    IndexBuildEnd end;
    const char16_t* resultText;
  } rows[] = {
      {"totals 2 30", IndexBuildEnd::kCountingStopped, u""},
      {"file 1/2 0", IndexBuildEnd::kFinished, u"Data extraction stopped."},
      {"file 2/2 3", IndexBuildEnd::kFinished, u"Data extraction stopped."},
      {"writing 3", IndexBuildEnd::kFinished, u"Data extraction stopped."},
  };
  WriteTwoFiles();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stopAt);
    stop.Reset();
    observer = RecordingObserver();
    observer.stopAt = row.stopAt;
    const IndexBuildResult result = Build();
    EXPECT_EQ(result.end, row.end);
    EXPECT_EQ(result.resultText, row.resultText);
    EXPECT_FALSE(result.indexCreated);
    EXPECT_TRUE(OutputFiles().empty());
    EXPECT_TRUE(observer.messages.empty());
  }
}

TEST_F(IndexBuildTest, CountingPassEndsWithTheLimitOrWithNoFile) {
  WriteTwoFiles();
  limit = 1;
  IndexBuildResult result = Build();
  EXPECT_EQ(result.end, IndexBuildEnd::kLimitReached);
  EXPECT_EQ(result.fileCount, 2) << "one above the limit";
  EXPECT_TRUE(OutputFiles().empty());

  limit = kMaxFilesToIndex;
  included.clear();
  fs::remove(Top() / "a.txt");
  result = Build();
  EXPECT_EQ(result.end, IndexBuildEnd::kNoFiles);
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(IndexBuildTest, StampThatCannotBeAppendedEndsTheRunWithNoFileLeft) {
  WriteTwoFiles();
  // The data file turns into a folder before the stamp is appended.
  builder.compressFile = [](const std::u16string& source, const std::u16string& target,
                            std::u16string& error) {
    const fs::path data = fs::path(TextToUtf8(source)).parent_path() /
                          ("proj_data.quor.tmp-" + std::to_string(::getpid()));
    fs::remove(data);
    fs::create_directories(data);
    return CompressWithFileCompressor(source, target, error);
  };
  const IndexBuildResult result = Build();

  ASSERT_EQ(observer.messages.size(), 1u);
  const MessageBoxRequest& box = observer.messages[0];
  EXPECT_EQ(box.title, u"Data file error");
  EXPECT_EQ(box.icon, MsgIcon::Critical);
  EXPECT_TRUE(box.text.ends_with(u"\r\n" + U(Out() / "proj_data.quor"))) << TextToUtf8(box.text);
  EXPECT_EQ(result.resultText, u"Data extraction stopped.");
  EXPECT_FALSE(result.indexCreated);
  // The folder is no file of the run's: it stays.
  EXPECT_EQ(OutputFiles().size(), 1u);
}

TEST_F(IndexBuildTest, DataFileIsRefusedWhenTheFolderHasNoRoomAndAFailedQueryNeverBlocks) {
  WriteTwoFiles();
  std::u16string asked;
  freeSpace = [&asked](std::u16string_view folder) -> std::optional<std::uint64_t> {
    asked = std::u16string(folder);
    return 9;
  };
  IndexBuildResult result = Build();
  EXPECT_EQ(asked, U(Out()));
  ASSERT_EQ(observer.messages.size(), 1u);
  EXPECT_EQ(observer.messages[0].text, u"There is not enough space in " + U(Out()) +
                                           u" to create the data file: it needs 10 bytes, and 9 "
                                           u"bytes are free.");
  EXPECT_EQ(observer.messages[0].title, u"Insufficient disk space");
  EXPECT_EQ(result.resultText, u"Data extraction stopped.");
  EXPECT_TRUE(OutputFiles().empty());

  observer = RecordingObserver();
  freeSpace = [](std::u16string_view) { return std::optional<std::uint64_t>(); };
  result = Build();
  EXPECT_TRUE(result.indexCreated);
  EXPECT_TRUE(observer.messages.empty());
}

TEST_F(IndexBuildTest, TemporaryFilesOfRunsThatNoLongerRunAreClearedOthersStay) {
  // A process id no process has: beyond the kernel's largest.
  const std::string gone = "4194304";
  const std::string alive = std::to_string(::getppid());
  const std::vector<std::string> cleared = {
      "proj_index.quor.tmp-" + gone, "proj_index.qdwixc.tmp-" + gone, "proj_data.quor.tmp-" + gone};
  const std::vector<std::string> kept = {"proj_index.quor.tmp-" + alive, "proj_data.quor.tmp-x1",
                                         "other_index.quor.tmp-" + gone, "proj_index.quor",
                                         "proj_data.quor.tmp-"};
  for (const auto& name : cleared) tmp.Write("out/" + name, "left by a killed run");
  for (const auto& name : kept) tmp.Write("out/" + name, "not ours to remove");
  RemoveStaleTemporaryFiles(U(Out()), u"proj");
  std::vector<std::string> expected = kept;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(OutputFiles(), expected);
}

TEST_F(IndexBuildTest, PassedOverEntriesAreReportedAndReturned) {
  WriteTwoFiles();
  tmp.Write("top/c\"d.txt", "quoted");
  tmp.Write("top/sub\"q/e.txt", "in a folder with a quote");
  included = {u"sub", u"sub\"q"};
  const IndexBuildResult result = Build();
  ASSERT_TRUE(result.indexCreated);
  EXPECT_EQ(IndexText(), Golden("two_files_index.txt")) << "the rest is indexed as without them";
  ASSERT_EQ(result.passedOver.size(), 2u);
  EXPECT_EQ(result.passedOver[0].path, U(Top() / "c\"d.txt"));
  EXPECT_EQ(result.passedOver[1].path, U(Top() / "sub\"q") + u"/");
}

TEST_F(IndexBuildTest, CloseErrorOnTheDataFileStopsTheRunWithNoFileLeft) {
  // Files without words: the matrix has no row, so the close is the first
  // thing to meet the descriptor after it was taken away.
  tmp.Write("top/a.htm", "<p></p>");
  included.clear();
  int dataFd = -1;
  builder.openForWriting = [&dataFd](const std::u16string& path) {
    const int fd = OpenFileForWriting(path);
    if (path.find(u"_data.quor") != std::u16string::npos) dataFd = fd;
    return fd;
  };
  observer.onWritingEnded = [&dataFd] { ::close(dataFd); };
  const IndexBuildResult result = Build();

  ASSERT_EQ(observer.messages.size(), 1u);
  EXPECT_EQ(observer.messages[0].text, ErrorDescription(EBADF));
  EXPECT_EQ(observer.messages[0].icon, MsgIcon::Critical);
  EXPECT_EQ(observer.messages[0].title, u"Data file error");
  EXPECT_EQ(result.resultText, u"Data extraction stopped.");
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(IndexBuildTest, IndexTextThatCannotBeWrittenIsReportedAsSuchWithNoFileLeft) {
  WriteTwoFiles();
  // The index text goes to a device that is always full.
  builder.openForWriting = [](const std::u16string& path) {
    if (path.find(u"_index.quor") != std::u16string::npos) {
      return ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    }
    return OpenFileForWriting(path);
  };
  const IndexBuildResult result = Build();

  ASSERT_EQ(observer.messages.size(), 1u);
  const MessageBoxRequest& box = observer.messages[0];
  EXPECT_EQ(box.title, u"Error writing index file");
  EXPECT_EQ(box.icon, MsgIcon::Critical);
  EXPECT_NE(box.text.find(ErrorDescription(ENOSPC)), std::u16string::npos) << TextToUtf8(box.text);
  EXPECT_EQ(result.resultText, u"Data extraction stopped.");
  EXPECT_FALSE(result.indexCreated);
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(IndexBuildTest, NonAsciiPathsAndTitleGoThroughTheWholeCycle) {
  const std::string folder =
      "donn\xc3\xa9"
      "es \xe6\x97\xa5\xe6\x9c\xac";                             // "données 日本"
  const std::string file = "r\xc3\xa9sum\xc3\xa9 \xc3\xbc.txt";  // "résumé ü.txt"
  tmp.Write("top/" + file, "Caf\xc3\xa9 na\xc3\xafve");
  tmp.Write("top/" + folder + "/b.txt",
            "stra\xc3\x9f"
            "e");
  included = {Utf8ToText(folder)};
  const std::u16string title = u"Caf\u00e9 \u2014 \u6771\u4eac";
  const IndexBuildResult result = Build(title);

  ASSERT_TRUE(result.indexCreated) << TextToUtf8(result.resultText);
  EXPECT_EQ(result.fileList, (TextList{u"", Utf8ToText(file), Utf8ToText(folder + "/b.txt")}));
  const std::string text = IndexText();
  EXPECT_EQ(text.rfind("\"" + file + "\"\r\n\"" + folder + "/b.txt\"\r\n", 0), 0u) << text;
  EXPECT_NE(text.find(",\"" + TextToUtf8(title) + "\"\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find(",\"caf\xc3\xa9\"\r\n"), std::string::npos) << text;
  EXPECT_EQ(result.wordCount, 3);
}

// A corpus of many files of skewed words, common words, markup, entities,
// words counted past 255 and empty files, in nested folders.
void WriteMixedCorpus(test::TempFolder& tmp, int files) {
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFF; };
  const char* const common[] = {"the", "and", "of", "to"};
  for (int f = 0; f < files; ++f) {
    std::string text;
    const int words = f % 17 == 0 ? 0 : static_cast<int>(next() % 400) + (f % 23 == 0 ? 3000 : 1);
    for (int w = 0; w < words; ++w) {
      const unsigned pick = next();
      if (pick % 11 == 0) {
        text += common[pick % 4];
      } else if (pick % 29 == 0) {
        text += "<a href=\"x y\">caf&eacute;</a>";
      } else {
        // Skewed: low numbers far more often than high ones. Appended in
        // two steps (GCC 12 at -O3 reports a false -Wrestrict on "w" + ...).
        text += 'w';
        text += std::to_string((pick % 97) * (next() % 97) % 2000);
      }
      text += w % 13 == 12 ? "\r\n" : " ";
    }
    if (f % 31 == 0) text += std::string(300, ' ') + "zzz zzz";
    const std::string folder = f % 3 == 0 ? "top/" : f % 3 == 1 ? "top/sub/" : "top/sub/deep/";
    tmp.Write(folder + "f" + std::to_string(f) + (f % 5 == 0 ? ".htm" : ".txt"), text);
  }
}

TEST_F(IndexBuildTest, ReadingThreadsWriteTheFilesOneThreadWrites) {
  struct Row {
    const char* name;
    int files;
  } rows[] = {{"two files", 0}, {"one file", 1}, {"many files", 300}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(Top());
    if (row.files == 0) {
      WriteTwoFiles();
    } else {
      WriteMixedCorpus(tmp, row.files);
    }
    included = {u"sub"};
    commonWords.LoadFromText(u"and\r\nof\r\nthe\r\nto\r\n");
    std::vector<std::string> index;
    std::vector<std::string> data;
    for (const std::int32_t count : {1, 2, 5}) {
      threads = count;
      fs::remove_all(Out());
      fs::create_directories(Out());
      const IndexBuildResult result = Build();
      ASSERT_TRUE(result.indexCreated) << count << " threads";
      index.push_back(tmp.Read("out/proj_index.quor"));
      data.push_back(tmp.Read("out/proj_data.quor"));
    }
    EXPECT_EQ(index[0], index[1]);
    EXPECT_EQ(index[0], index[2]);
    EXPECT_EQ(data[0], data[1]);
    EXPECT_EQ(data[0], data[2]);
  }
}

TEST_F(IndexBuildTest, StopWhileWorkersReadEndsAsStopped) {
  WriteMixedCorpus(tmp, 200);
  threads = 2;
  observer.stopAt = "file 40/";
  const IndexBuildResult result = Build();
  EXPECT_EQ(result.resultText, u"Data extraction stopped.");
  // No file after the one the Stop came in.
  EXPECT_TRUE(observer.events.back().starts_with("file 40/")) << observer.events.back();
  EXPECT_TRUE(OutputFiles().empty());
}

}  // namespace
}  // namespace quor
