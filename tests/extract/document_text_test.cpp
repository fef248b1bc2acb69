#include "extract/document_text.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "common/paths.h"
#include "extract/classify.h"
#include "support/docx_file.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// Records every message and answers from a queue (default: the first button);
// stops the conversion after a given number of steps.
class RecordingObserver : public DocumentTextObserver {
 public:
  explicit RecordingObserver(std::u16string tempRoot) : tempRoot_(std::move(tempRoot)) {}

  MsgResult MessageBox(const MessageBoxRequest& request) override {
    messages.push_back(request);
    if (!answers.empty()) {
      const MsgResult answer = answers.front();
      answers.pop_front();
      return answer;
    }
    switch (request.buttons) {
      case MsgButtons::YesNo:
      case MsgButtons::YesNoCancel:
        return MsgResult::Yes;
      default:
        return MsgResult::Ok;
    }
  }
  std::u16string TempRoot() override { return tempRoot_; }
  bool ConversionStep() override { return ++steps >= stopAtStep && stopAtStep > 0; }

  std::vector<MessageBoxRequest> messages;
  std::deque<MsgResult> answers;
  int steps = 0;
  int stopAtStep = 0;  // 0: never stop

 private:
  std::u16string tempRoot_;
};

std::string Paragraphs(int count) {
  std::string xml = "<w:document><w:body>";
  for (int i = 0; i < count; ++i)
    xml += "<w:p><w:r><w:t>word" + std::to_string(i) + "</w:t></w:r></w:p>";
  return xml + "</w:body></w:document>";
}

std::vector<std::string> ReadBlocks(DocumentText& text) {
  std::vector<std::string> blocks;
  std::string_view block;
  while (text.NextBlock(block)) blocks.emplace_back(block);
  return blocks;
}

std::string Pattern(std::size_t length) {
  std::string bytes(length, '\0');
  // Zero bytes included: blocks hand out bytes as they are.
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  return bytes;
}

TEST(DocumentText, BlocksAreConsecutive4096ByteRunsOfTheDocumentBytes) {
  constexpr std::size_t kBlock = DocumentText::kBlockSize;
  constexpr std::size_t kChunk = DocumentByteStream::kChunkSize;
  // "é" as UTF-8 is two bytes; 2048 of them after one ASCII byte put a
  // character across the first block boundary of the transcoded text.
  std::u16string accents(2049, u'\u00e9');
  accents[0] = u'a';
  std::string accentsUtf8 = "a";
  for (int i = 0; i < 2048; ++i) accentsUtf8 += "\xC3\xA9";
  struct Row {
    const char* name;
    std::string bytes;
    int typeCode;
    std::string documentBytes;  // what the blocks must add up to
  };
  const std::vector<Row> rows = {
      {"empty text: no block", "", 1, ""},
      {"shorter than a block", "abc", 1, "abc"},
      {"one byte short of a block", Pattern(kBlock - 1), 1, Pattern(kBlock - 1)},
      {"exactly one block", Pattern(kBlock), 1, Pattern(kBlock)},
      {"one byte over a block", Pattern(kBlock + 1), 1, Pattern(kBlock + 1)},
      {"blocks across read chunks", Pattern(3 * kChunk + 5), 2, Pattern(3 * kChunk + 5)},
      {"UTF-8 mark skipped", "\xEF\xBB\xBF" + Pattern(kBlock), 1, Pattern(kBlock)},
      {"type 7: UTF-16 transcoded, mark skipped", "\xFF\xFE" + test::Utf16Le(accents), 7,
       accentsUtf8},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    RecordingObserver observer(folder.Text());
    const fs::path file = folder.Write("text.txt", row.bytes);
    DocumentText text(observer);
    ASSERT_EQ(text.Open(FromFsPath(file), row.typeCode), DocumentOpen::kOpened);
    EXPECT_EQ(text.TextSize(), static_cast<std::int64_t>(row.bytes.size()));
    const std::vector<std::string> blocks = ReadBlocks(text);
    EXPECT_FALSE(text.Failed());

    const std::string& expected = row.documentBytes;
    std::string joined;
    for (const std::string& block : blocks) joined += block;
    EXPECT_TRUE(joined == expected) << "joined " << joined.size() << " of " << expected.size();
    ASSERT_EQ(blocks.size(), (expected.size() + kBlock - 1) / kBlock);
    for (std::size_t b = 0; b + 1 < blocks.size(); ++b) EXPECT_EQ(blocks[b].size(), kBlock);
  }
}

// A two-paragraph document and the temporary root its conversion uses.
class DocxReading : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(test::WriteDocxFile(docx, Paragraphs(2))); }

  TempFolder folder;
  TempFolder temp;
  const fs::path docx = folder.Path() / "Letter.docx";
  const fs::path tempFolder = temp.Path() / "QUOR001";
  RecordingObserver observer{temp.Text()};
};

TEST_F(DocxReading, TextComesFromTheTemporaryTextWhichGoesWithTheReader) {
  {
    DocumentText text(observer);
    ASSERT_EQ(text.Open(FromFsPath(docx), 1), DocumentOpen::kOpened);
    EXPECT_TRUE(text.Converted());
    std::u16string_view line;
    ASSERT_TRUE(text.NextLine(line));
    EXPECT_EQ(line, u"word0 word1");
    EXPECT_FALSE(text.NextLine(line));
    EXPECT_TRUE(fs::exists(tempFolder));

    // The next Open removes the folder of the document before.
    const fs::path plain = folder.Write("plain.txt", "plain text");
    ASSERT_EQ(text.Open(FromFsPath(plain), 1), DocumentOpen::kOpened);
    EXPECT_FALSE(text.Converted());
    EXPECT_FALSE(fs::exists(tempFolder));

    ASSERT_EQ(text.Open(FromFsPath(docx), 1), DocumentOpen::kOpened);
    EXPECT_TRUE(fs::exists(tempFolder));
  }
  // The reader's end removes it too; nothing was reported.
  EXPECT_FALSE(fs::exists(tempFolder));
  EXPECT_TRUE(observer.messages.empty());
}

TEST(DocumentText, DocxFailuresAndStopsLeaveNoFolder) {
  TempFolder folder;
  const fs::path noText = folder.Path() / "empty.docx";
  ASSERT_TRUE(test::WriteZipFile(noText, {{"word/styles.xml", "<w:styles/>"}}));
  const fs::path long_ = folder.Path() / "long.docx";
  ASSERT_TRUE(test::WriteDocxFile(long_, Paragraphs(50)));
  struct Row {
    const char* name;
    fs::path file;
    int stopAtStep;
    DocumentOpen outcome;
    std::size_t messages;
  };
  const Row rows[] = {
      {"no document text: passed over with its message", noText, 0, DocumentOpen::kPassedOver, 1},
      {"a stop during the conversion", long_, 3, DocumentOpen::kStopped, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder temp;
    RecordingObserver observer(temp.Text());
    observer.stopAtStep = row.stopAtStep;
    DocumentText text(observer);
    EXPECT_EQ(text.Open(FromFsPath(row.file), 1), row.outcome);
    EXPECT_EQ(observer.messages.size(), row.messages);
    EXPECT_TRUE(text.Error().empty());
    EXPECT_TRUE(fs::is_empty(temp.Path()));
  }
}

TEST(DocumentText, UnopenableFileFailsWithItsDescriptionAndNoMessage) {
  TempFolder folder;
  RecordingObserver observer(folder.Text());
  DocumentText text(observer);
  EXPECT_EQ(text.Open(FromFsPath(folder.Path() / "gone.txt"), 1), DocumentOpen::kFailed);
  EXPECT_FALSE(text.Error().empty());
  EXPECT_TRUE(observer.messages.empty());
  text.Close();
  EXPECT_TRUE(text.Error().empty());
}

// Makes entries of folder impossible to remove: immutable for root, read-only
// otherwise. False when neither holds on this system.
bool Lock(const fs::path& folder, bool lock) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = lock ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  if (done || ::geteuid() == 0) return done;
  std::error_code ec;
  fs::permissions(folder,
                  lock ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms::owner_all, ec);
  return !ec;
}

TEST_F(DocxReading, FolderThatCannotBeRemovedIsReported) {
  DocumentText text(observer);
  ASSERT_EQ(text.Open(FromFsPath(docx), 1), DocumentOpen::kOpened);
  if (!Lock(tempFolder, true)) GTEST_SKIP() << "cannot protect a folder from removal here";
  text.Close();
  Lock(tempFolder, false);

  ASSERT_EQ(observer.messages.size(), 1u);
  const MessageBoxRequest& box = observer.messages[0];
  EXPECT_EQ(box.text, u"Cannot delete temporary folder " + temp.Text() + u"QUOR001/");
  EXPECT_EQ(box.title, u"Error");
  EXPECT_EQ(box.buttons, MsgButtons::Ok);
  EXPECT_EQ(box.icon, MsgIcon::Exclamation);
  // Reported once: the reader no longer holds the folder.
  text.Close();
  EXPECT_EQ(observer.messages.size(), 1u);
}

TEST(DocxFailureReport, EachStatusShowsItsMessageAndTellsWhetherTheRunGoesOn) {
  const std::u16string path = u"/home/ann/docs/Budget.docx";
  const std::u16string large = path +
                               u"\r\n may be too large to index.\r\n\r\nPress 'OK' to attempt to "
                               u"include it, or 'Cancel' to stop this indexing operation.";
  constexpr auto kOk = MsgButtons::Ok;
  struct Row {
    const char* name;
    std::int32_t status;
    MsgResult answer;
    int result;
    std::u16string text;  // empty: no box at all
    std::u16string title;
    MsgButtons buttons;
  };
  const std::vector<Row> rows = {
      {"too large ends the run", kDocxTooLarge, MsgResult::Ok, kDocxStopRun,
       path + u"\r\nis too large to include in the index.\r\n\r\nThis indexing operation will "
              u"now end.",
       u"File too large", kOk},
      {"large declined, OK goes on", kDocxLargeDeclined, MsgResult::Ok, kDocxGoOn, large,
       u"File possibly too large", MsgButtons::OkCancel},
      {"large declined, Cancel ends", kDocxLargeDeclined, MsgResult::Cancel, kDocxStopRun, large,
       u"File possibly too large", MsgButtons::OkCancel},
      {"no document text is passed over", kDocxNoDocumentText, MsgResult::Ok, kDocxGoOn,
       path + u"\r\nhas no document text and is passed over.", u"Error", kOk},
      {"damaged file declined: no further box", kDocxDamagedDeclined, MsgResult::Ok, kDocxGoOn, u"",
       u"", kOk},
      {"no temporary folder ends the run", kDocxNoTempFolder, MsgResult::Ok, kDocxStopRun,
       u"Error -1 when processing \r\n" + path, u"Error", kOk},
      {"write error names its cause", kDocxWriteFailed, MsgResult::Ok, kDocxStopRun,
       u"Error -9 when processing \r\n" + path + u"\r\nNo space left on device", u"Error", kOk},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RecordingObserver observer(u"/tmp");
    observer.answers = {row.answer};
    const std::u16string error = row.status == kDocxWriteFailed ? u"No space left on device" : u"";
    EXPECT_EQ(ReportDocxFailure(observer, row.status, path, error), row.result);
    if (row.text.empty()) {
      EXPECT_TRUE(observer.messages.empty());
      continue;
    }
    ASSERT_EQ(observer.messages.size(), 1u);
    const MessageBoxRequest& box = observer.messages[0];
    EXPECT_EQ(box.text, row.text);
    EXPECT_EQ(box.title, row.title);
    EXPECT_EQ(box.buttons, row.buttons);
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
  }
}

TEST(DocxFailureReport, ConversionQuestionsBecomeMessageBoxes) {
  using Kind = DocxMessage::Kind;
  struct Row {
    Kind kind;
    MsgResult answer;
    bool result;
    MsgButtons buttons;
    MsgIcon icon;
    int defaultButton;
  };
  const Row rows[] = {
      {Kind::Question, MsgResult::No, false, MsgButtons::YesNo, MsgIcon::None, 1},
      {Kind::QuestionDefaultNo, MsgResult::Yes, true, MsgButtons::YesNo, MsgIcon::None, 2},
      {Kind::Notice, MsgResult::Ok, true, MsgButtons::Ok, MsgIcon::None, 1},
      {Kind::Error, MsgResult::Ok, true, MsgButtons::Ok, MsgIcon::Exclamation, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.kind));
    RecordingObserver observer(u"/tmp");
    observer.answers = {row.answer};
    const DocxCallbacks callbacks = DocxCallbacksFor(observer);
    EXPECT_EQ(callbacks.show({u"text", u"Big file", row.kind}), row.result);
    ASSERT_EQ(observer.messages.size(), 1u);
    const MessageBoxRequest& box = observer.messages[0];
    EXPECT_EQ(box.text, u"text");
    EXPECT_EQ(box.title, u"Big file");
    EXPECT_EQ(box.buttons, row.buttons);
    EXPECT_EQ(box.icon, row.icon);
    EXPECT_EQ(box.defaultButton, row.defaultButton);
  }
}

}  // namespace
}  // namespace quor
