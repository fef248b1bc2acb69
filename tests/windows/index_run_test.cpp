// Building an index from the Index Module window as a user does: click
// "Create index file", answer the boxes, press Pause in the middle.
#include <fcntl.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <functional>

#include "index_run_test_fixture.h"
#include "indexfile/compressor.h"
#include "ui/app_context.h"
#include "windows/frm_index_main_texts.h"

namespace quor::test {
namespace {

using ui::MsgResult;

constexpr char16_t kCompleted[] = u"Data extraction completed.   Index file is proj_index.quor.  ";
constexpr char16_t kStopped[] = u"Data extraction stopped.  ";

TEST_F(IndexRunTest, WorkedExampleGivesTheExactIndexTextAndDataFile) {
  tmp.Write("top/a.txt", "Cats and dogs, cats");
  tmp.Write("top/sub/b.htm", "<b>Dogs</b>");
  frmIndexMain& f = OpenProject();
  f.cmdExtractData.Click();

  EXPECT_TRUE(platform.MessageTexts().empty());
  EXPECT_EQ(IndexText(), Golden("two_files_index.txt"));
  EXPECT_EQ(DataBytes(), Golden("two_files_data.bin"));
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"proj_data.quor", "proj_index.quor"}));

  EXPECT_EQ(f.lblCurrentFile.caption, kCompleted);
  EXPECT_TRUE(f.IndexCreated);
  EXPECT_TRUE(f.cmdListFiles[1].visible);
  EXPECT_TRUE(f.cmdListFiles[1].HasFocus());
  EXPECT_EQ(f.cmdExtractData.caption, u"Create index file");
  EXPECT_TRUE(f.txbTitle.enabled);
  EXPECT_EQ(f.lblTotalTextSize.caption, u"Total text size: 30 bytes");
  // Nothing of the passes stays but the number of words.
  EXPECT_EQ(f.lblNowProcessingFile.caption, u"Different words: 3");
  EXPECT_EQ(f.lblDifferentWordsFoundSoFar.caption, u"");
  EXPECT_EQ(f.lblAsterisks.caption, u"");
  // "List files which were indexed" shows the relative paths.
  ASSERT_EQ(f.walk.IndexFileCount, 2);
  EXPECT_EQ(f.walk.IndexFileList[1], u"a.txt");
  EXPECT_EQ(f.walk.IndexFileList[2], u"sub/b.htm");
  EXPECT_EQ(DocxFoldersLeft(), 0);
}

TEST_F(IndexRunTest, ClickDuringOrBetweenThePassesPausesAndOkLetsTheRunGoOn) {
  WriteText("a.txt");
  WriteText("b.txt");
  struct Row {
    const char* name;
    std::function<bool(frmIndexMain&)> when;
  };
  const Row rows[] = {
      {"in the indexing pass",
       [](frmIndexMain& f) {
         return f.lblNowProcessingFile.caption == u"Now processing file #1.";
       }},
      // Not a second run.
      {"between the passes",
       [this](frmIndexMain& f) { return f.cmdExtractData.caption == app.GetProgramText(50); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove_all(tmp.Path() / "out");
    std::filesystem::create_directories(tmp.Path() / "out");
    platform.messages.clear();
    frmIndexMain& f = OpenProject();
    platform.WhenDoEvents([&] { return row.when(f); }, [&] { f.cmdExtractData.Click(); });
    platform.AnswerNext(MsgResult::Ok);
    f.cmdExtractData.Click();

    ASSERT_EQ(platform.messages.size(), 1u);
    const ui::MessageBoxRequest& box = platform.messages[0].request;
    EXPECT_EQ(box.title, u"Paused");
    EXPECT_EQ(box.text, app.GetProgramText(31));
    EXPECT_EQ(box.buttons, ui::MsgButtons::OkCancel);
    EXPECT_EQ(f.lblCurrentFile.caption, kCompleted);
  }
}

TEST_F(IndexRunTest, CancelInTheCountingPassEndsSilentlyWithControlsBack) {
  WriteText("a.txt");
  WriteText("b.txt");
  frmIndexMain& f = OpenProject();
  platform.WhenDoEvents(
      [&] { return !Run().engine.walk.IndexingPass && Run().engine.walk.IndexFileCount == 1; },
      [&] { f.cmdExtractData.Click(); });
  platform.AnswerNext(MsgResult::Cancel);
  f.cmdExtractData.Click();

  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].request.title, u"Paused");
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_EQ(f.lblCurrentFile.caption, u"");
  EXPECT_EQ(f.cmdExtractData.caption, u"Create index file");
  EXPECT_TRUE(f.txbTitle.enabled);
  EXPECT_TRUE(f.cmdListFiles[0].enabled);
  EXPECT_FALSE(f.IndexCreated);
}

TEST_F(IndexRunTest, CancelInTheIndexingPassStopsAndRemovesBothFiles) {
  WriteText("a.txt");
  WriteText("b.txt");
  WriteText("c.txt");
  frmIndexMain& f = OpenProject();
  platform.WhenDoEvents(
      [&] { return f.lblNowProcessingFile.caption == u"Now processing file #2."; },
      [&] {
        // The files exist under their temporary names while the pass runs.
        EXPECT_EQ(OutputFiles().size(), 2u);
        EXPECT_FALSE(std::filesystem::exists(IndexPath()));
        f.cmdExtractData.Click();
      });
  platform.AnswerNext(MsgResult::Cancel);
  f.cmdExtractData.Click();

  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(f.lblCurrentFile.caption, kStopped);
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_FALSE(f.IndexCreated);
  EXPECT_FALSE(f.cmdListFiles[1].visible);
  EXPECT_TRUE(f.cmdExtractData.HasFocus());
}

TEST_F(IndexRunTest, ClosingTheWindowDuringThePassAbandonsTheRunSilently) {
  WriteText("a.txt");
  WriteText("b.txt");
  frmIndexMain& f = OpenProject();
  platform.WhenDoEvents(
      [&] { return f.lblNowProcessingFile.caption == u"Now processing file #1."; },
      [&] { f.Unload(); });
  f.cmdExtractData.Click();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_FALSE(f.IndexCreated);
}

TEST_F(IndexRunTest, ExistingIndexIsKeptWhenOverwriteIsAnsweredNo) {
  WriteText("a.txt");
  tmp.Write("out/proj_index.quor", "old");
  frmIndexMain& f = OpenProject();
  platform.AnswerNext(MsgResult::No);
  f.cmdExtractData.Click();

  ASSERT_EQ(platform.messages.size(), 1u);
  const ui::MessageBoxRequest& box = platform.messages[0].request;
  EXPECT_EQ(box.text,
            u"An index file " + Utf8ToText(IndexPath().string()) + u" exists.  Overwrite this?");
  EXPECT_EQ(box.title, u"Create index file");
  EXPECT_EQ(box.buttons, ui::MsgButtons::YesNo);
  EXPECT_EQ(ReadWholeFile(Utf8ToText(IndexPath().string())), "old");
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"proj_index.quor"}));

  platform.AnswerNext(MsgResult::Yes);
  f.cmdExtractData.Click();
  EXPECT_EQ(f.lblCurrentFile.caption, kCompleted);
  EXPECT_EQ(IndexText().substr(0, 9), "\"a.txt\"\r\n");
}

TEST_F(IndexRunTest, OneFileMoreThanTheLimitStopsTheCountingPassWithTwoMessages) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) WriteText(name);
  frmIndexMain& f = OpenProject();
  f.walk.MaxFilesToIndex = 3;
  f.cmdExtractData.Click();

  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].request.text,
            u"Too many files!  No more than 3 files can be indexed.");
  EXPECT_EQ(platform.messages[0].request.title, u"Create index file");
  EXPECT_EQ(f.lblNowProcessingFile.caption, u"Stopped at 3 files.");
  EXPECT_EQ(f.walk.IndexFileCount, 4);
  EXPECT_TRUE(OutputFiles().empty());
  // The window is still open: later loops must not take it for closed.
  EXPECT_FALSE(app.ModuleClosed);
  EXPECT_TRUE(f.txbTitle.enabled);
}

TEST_F(IndexRunTest, RefusedRunIsNamedInOneBoxAndWritesNothing) {
  struct Row {
    const char* name;
    std::function<void(frmIndexMain&)> spoil;
    std::u16string textPart;
    std::u16string title;
    std::function<bool(frmIndexMain&)> focused;
  };
  const Row rows[] = {
      {"no qualifying file",
       [this](frmIndexMain&) {
         std::filesystem::remove(tmp.Path() / "top" / "a.txt");
         tmp.Write("top/readme", "no extension, never indexed");
       },
       app.GetProgramText(90) + u".", app.GetProgramText(50), nullptr},
      {"title with a double quote",
       [this](frmIndexMain& f) { TypeInto(f.txbTitle, u"My \"docs\""); }, u"double quote",
       u"Create index file", [](frmIndexMain& f) { return f.txbTitle.HasFocus(); }},
      // As a settings file can bring it: never checked when typed.
      {"project name that would leave the output folder",
       [](frmIndexMain& f) { f.txbProjectName.SetText(u"../proj"); },
       u"The project name contains an inadmissible character: /", u"Project name", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteText("a.txt");
    platform.messages.clear();
    frmIndexMain& f = OpenProject();
    row.spoil(f);
    f.cmdExtractData.Click();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].request.text.find(row.textPart), std::u16string::npos)
        << TextToUtf8(platform.messages[0].request.text);
    EXPECT_EQ(platform.messages[0].request.title, row.title);
    if (row.focused) {
      EXPECT_TRUE(row.focused(f));
    }
    EXPECT_TRUE(OutputFiles().empty());
    EXPECT_FALSE(std::filesystem::exists(tmp.Path() / "proj_index.quor"));
    std::filesystem::remove(tmp.Path() / "top" / "readme");
  }
}

TEST_F(IndexRunTest, TagLeftOpenAtTheEndOfAFileDoesNotHideTheNextFile) {
  tmp.Write("top/a.htm", "alpha <b\r\n");
  tmp.Write("top/b.txt", "beta gamma");
  frmIndexMain& f = OpenProject();
  f.cmdExtractData.Click();
  ASSERT_EQ(f.lblCurrentFile.caption, kCompleted);
  EXPECT_NE(Run().engine.Lexicon.Find(u"alpha"), 0);
  EXPECT_NE(Run().engine.Lexicon.Find(u"beta"), 0);
  EXPECT_NE(Run().engine.Lexicon.Find(u"gamma"), 0);
}

TEST_F(IndexRunTest, FilesWithoutWordsKeepTheirPlaceAndAZeroColumn) {
  tmp.Write("top/a.htm", "<p></p><br>");
  tmp.Write("top/b.txt", "beta gamma");
  frmIndexMain& f = OpenProject();
  f.cmdExtractData.Click();
  ASSERT_EQ(f.lblCurrentFile.caption, kCompleted);
  EXPECT_EQ(IndexText(),
            "\"a.htm\"\r\n\"b.txt\"\r\n\"End of file list\"\r\n2,\"My docs\"\r\n1,\"beta\"\r\n"
            "2,\"gamma\"\r\n967,\"End of lexicon\"\r\n\"0,255\"\r\n\"0,255\"\r\n");
}

// ---- DOCX documents ----

TEST_F(IndexRunTest, LargeDocxDeclinedWithGoOnKeepsAZeroColumnAndTheRunGoesOn) {
  tmp.Write("top/a.txt", "alpha");
  WriteDocx("b.docx", Document("beta", 5300000));
  tmp.Write("top/c.txt", "gamma");
  frmIndexMain& f = OpenProject();
  platform.AnswerNext(MsgResult::No);  // continue scanning this big file?
  platform.AnswerNext(MsgResult::Ok);  // try saving it as a text file
  platform.AnswerNext(MsgResult::Ok);  // OK: go on with the next file
  f.cmdExtractData.Click();

  ASSERT_EQ(platform.messages.size(), 3u);
  EXPECT_EQ(platform.messages[0].request.title, u"Big file");
  EXPECT_EQ(platform.messages[2].request.title, u"File possibly too large");
  EXPECT_EQ(f.lblCurrentFile.caption, kCompleted);
  EXPECT_EQ(IndexText(),
            "\"a.txt\"\r\n\"b.docx\"\r\n\"c.txt\"\r\n\"End of file list\"\r\n2,\"My docs\"\r\n"
            "1,\"alpha\"\r\n2,\"gamma\"\r\n967,\"End of lexicon\"\r\n\"255,-2\"\r\n\"-2,255\"\r\n");
  EXPECT_EQ(DocxFoldersLeft(), 0);
}

TEST_F(IndexRunTest, DamagedDocxAnsweredYesIsScanned) {
  const std::filesystem::path docx = WriteDocx("a.docx", Document("delta"), true);
  std::string bytes = *ReadWholeFile(Utf8ToText(docx.string()));
  const std::size_t at = bytes.find("delta");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 4] = 'e';
  tmp.Write("top/a.docx", bytes);
  frmIndexMain& f = OpenProject();
  platform.AnswerNext(MsgResult::Yes);
  f.cmdExtractData.Click();

  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].request.text.find(u"Do you wish to scan this file anyway?"),
            std::u16string::npos);
  EXPECT_EQ(f.lblCurrentFile.caption, kCompleted);
  EXPECT_NE(Run().engine.Lexicon.Find(u"delte"), 0);
  EXPECT_EQ(DocxFoldersLeft(), 0);
}

TEST_F(IndexRunTest, DocxWithoutDocumentTextIsPassedOverAndTheRunGoesOn) {
  tmp.Write("top/a.docx", "PK\x03\x04 this is not a readable package at all");
  tmp.Write("top/b.txt", "beta gamma");
  frmIndexMain& f = OpenProject();
  f.cmdExtractData.Click();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].request.text.find(u"has no document text"), std::u16string::npos);
  EXPECT_EQ(f.lblCurrentFile.caption, kCompleted);
  EXPECT_EQ(Run().engine.Lexicon.Find(u"beta"), 1);
}

// ---- failures while writing ----

// A re-index that does not complete: the previous index and data file stay
// byte for byte, and no temporary file is left.
TEST_F(IndexRunTest, ReindexThatIsStoppedOrFailsLeavesThePreviousPairUntouched) {
  struct Case {
    const char* name;
    std::function<void(frmIndexMain&)> spoil;
    const char16_t* result;
    const char16_t* boxTitle;  // of the run's last box
    const char16_t* boxText;   // a part of it
  };
  auto failingOpen = [](const char16_t* part) {
    return [part](const std::u16string& path) {
      if (path.find(part) != std::u16string::npos) return ::open("/dev/full", O_WRONLY | O_CLOEXEC);
      return OpenFileForWriting(path);
    };
  };
  const Case cases[] = {
      {"Stop in the indexing pass",
       [this](frmIndexMain& f) {
         platform.WhenDoEvents(
             [&f] { return f.lblNowProcessingFile.caption == u"Now processing file #2."; },
             [&f] { f.cmdExtractData.Click(); });
         platform.AnswerNext(MsgResult::Cancel);
       },
       kStopped, u"Paused", u""},
      {"full disk under the data file",
       [&](frmIndexMain&) { Run().engine.openForWriting = failingOpen(u"_data.quor"); }, kStopped,
       u"Error writing data file", u"No space left on device"},
      {"full disk under the index text",
       [&](frmIndexMain&) { Run().engine.openForWriting = failingOpen(u"_index.quor"); }, kStopped,
       u"Error writing index file", u"No space left on device"},
      {"full disk during compression",
       [this](frmIndexMain&) {
         Run().engine.compressFile = [](const std::u16string&, const std::u16string&,
                                        std::u16string& error) {
           error = ErrorDescription(ENOSPC);
           return std::int32_t{kCompressWriteError};
         };
       },
       u"Compression error when creating index file.  ", u"Error",
       u"Compression error when creating index file.\r\nNo space left on device"},
      {"no room for the data file", [this](frmIndexMain&) { platform.diskFree = 3; }, kStopped,
       u"Insufficient disk space", u"it needs 14 bytes, and 3 bytes are free."},
      {"DOCX ending the run",
       [this](frmIndexMain&) { WriteDocx("c.docx", Document("beta", 10485761)); }, kStopped,
       u"File too large", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(tmp.Path() / "top");
    std::filesystem::remove_all(tmp.Path() / "out");
    std::filesystem::create_directories(tmp.Path() / "out");
    tmp.Write("top/a.txt", "Cats and dogs, cats");
    frmIndexMain& f = OpenProject();
    f.cmdExtractData.Click();
    ASSERT_EQ(f.lblCurrentFile.caption, kCompleted);
    const std::string index = *ReadWholeFile(Utf8ToText(IndexPath().string()));
    const std::string data = DataBytes();

    tmp.Write("top/b.txt", "birds and bees");
    platform.messages.clear();
    platform.AnswerNext(MsgResult::Yes);  // overwrite the index?
    c.spoil(f);
    f.cmdExtractData.Click();

    EXPECT_EQ(f.lblCurrentFile.caption, c.result);
    EXPECT_FALSE(f.IndexCreated);
    ASSERT_GE(platform.messages.size(), 2u);
    const ui::MessageBoxRequest& box = platform.messages.back().request;
    EXPECT_EQ(box.title, c.boxTitle);
    EXPECT_NE(box.text.find(c.boxText), std::u16string::npos) << TextToUtf8(box.text);
    EXPECT_EQ(ReadWholeFile(Utf8ToText(IndexPath().string())), index);
    EXPECT_EQ(DataBytes(), data);
    EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"proj_data.quor", "proj_index.quor"}));
    EXPECT_EQ(DocxFoldersLeft(), 0);
    platform.diskFree.reset();
    Run().engine.openForWriting = OpenFileForWriting;
    Run().engine.compressFile = CompressWithFileCompressor;
  }
}

TEST_F(IndexRunTest, NamesTheIndexCannotHoldAreNamedInOneNoticeAndTheRestIsIndexed) {
  tmp.Write("top/a.txt", "alpha");
  tmp.Write("top/b\"q.txt", "beta");
  tmp.Write("top/two\nlines.txt", "gamma");
  tmp.Write("top/bad\xff.txt", "delta");
  tmp.Write("top/sub/c.txt", "epsilon");
  frmIndexMain& f = OpenProject();
  f.cmdExtractData.Click();

  ASSERT_EQ(platform.messages.size(), 1u);
  const ui::MessageBoxRequest& box = platform.messages[0].request;
  const std::u16string top = Utf8ToText((tmp.Path() / "top").string() + "/");
  EXPECT_EQ(box.text,
            u"3 files or folders were passed over because their names cannot be stored in the "
            u"index:\r\n" +
                top + u"b\"q.txt\r\n" + top + u"bad\xDCFF.txt\r\n" + top + u"two\\nlines.txt");
  EXPECT_EQ(box.title, u"Create index file");
  EXPECT_EQ(box.icon, ui::MsgIcon::Information);
  EXPECT_EQ(f.lblCurrentFile.caption, kCompleted);
  EXPECT_EQ(IndexText().substr(0, 22), "\"a.txt\"\r\n\"sub/c.txt\"\r\n");
}

// ---- the time a run took ----

// Local time today at h:m:s.
std::chrono::system_clock::time_point LocalTime(int h, int m, int s) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  local.tm_hour = h;
  local.tm_min = m;
  local.tm_sec = s;
  local.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

TEST_F(IndexRunTest, RunTimeIsShownAfterTheResultAlsoPastMidnight) {
  struct Case {
    const char* name;
    int startHour, startMinute;
    int seconds;
    const char16_t* timeText;
  } cases[] = {
      {"short run", 10, 0, 4, u""},
      {"past midnight", 23, 59, 75, u"Time = 1 minute and 15 seconds."},
  };
  WriteText("a.txt");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(tmp.Path() / "out");
    std::filesystem::create_directories(tmp.Path() / "out");
    frmIndexMain& f = OpenProject();
    platform.now = LocalTime(c.startHour, c.startMinute, 30);
    bool advanced = false;
    platform.WhenDoEvents([&] { return !advanced && Run().engine.walk.IndexingPass; },
                          [&] {
                            advanced = true;
                            platform.Advance(std::chrono::seconds(c.seconds));
                          });
    f.cmdExtractData.Click();
    EXPECT_EQ(f.lblCurrentFile.caption, std::u16string(kCompleted) + c.timeText);
  }
}

}  // namespace
}  // namespace quor::test
