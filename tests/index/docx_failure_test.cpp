#include "index/docx_failure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_platform.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

using test::ScriptedPlatform;
using test::TempFolder;
using ui::MsgButtons;
using ui::MsgIcon;
using ui::MsgResult;

constexpr char16_t kPath[] = u"/home/ann/docs/Budget.docx";

struct FailureCase {
  const char* name;
  std::int32_t status;
  std::u16string errorText;
  std::vector<MsgResult> answers;
  int result;
  // The box shown; an empty title and text mean no box at all.
  std::u16string text;
  std::u16string title;
  MsgButtons buttons;
};

TEST(DocxFailureReport, EachStatusShowsItsMessageAndTellsWhetherTheRunGoesOn) {
  const std::u16string path = kPath;
  const std::vector<FailureCase> cases = {
      {"too large ends the run",
       kDocxTooLarge,
       u"",
       {},
       kDocxStopRun,
       path + u"\r\nis too large to include in the index.\r\n\r\nThis indexing operation will now "
              u"end.",
       u"File too large",
       MsgButtons::Ok},
      {"large declined, OK goes on",
       kDocxLargeDeclined,
       u"",
       {MsgResult::Ok},
       kDocxGoOn,
       path + u"\r\n may be too large to index.\r\n\r\nPress 'OK' to attempt to include it, or "
              u"'Cancel' to stop this indexing operation.",
       u"File possibly too large",
       MsgButtons::OkCancel},
      {"large declined, Cancel ends",
       kDocxLargeDeclined,
       u"",
       {MsgResult::Cancel},
       kDocxStopRun,
       path + u"\r\n may be too large to index.\r\n\r\nPress 'OK' to attempt to include it, or "
              u"'Cancel' to stop this indexing operation.",
       u"File possibly too large",
       MsgButtons::OkCancel},
      {"no document text is passed over",
       kDocxNoDocumentText,
       u"",
       {},
       kDocxGoOn,
       path + u"\r\nhas no document text and is passed over.",
       u"Error",
       MsgButtons::Ok},
      {"damaged file declined: no further box",
       kDocxDamagedDeclined,
       u"",
       {},
       kDocxGoOn,
       u"",
       u"",
       MsgButtons::Ok},
      {"no temporary folder ends the run",
       kDocxNoTempFolder,
       u"",
       {},
       kDocxStopRun,
       u"Error -1 when processing \r\n" + path,
       u"Error",
       MsgButtons::Ok},
      {"write error names its cause",
       kDocxWriteFailed,
       u"No space left on device",
       {},
       kDocxStopRun,
       u"Error -9 when processing \r\n" + path + u"\r\nNo space left on device",
       u"Error",
       MsgButtons::Ok},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder root;
    ScriptedPlatform platform(root.Text());
    for (MsgResult answer : c.answers) platform.AnswerNext(answer);
    EXPECT_EQ(ReportDocxFailure(platform, c.status, path, c.errorText), c.result);
    if (c.text.empty()) {
      EXPECT_TRUE(platform.messages.empty());
      continue;
    }
    ASSERT_EQ(platform.messages.size(), 1u);
    const ui::MessageBoxRequest& box = platform.messages[0].request;
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.title, c.title);
    EXPECT_EQ(box.buttons, c.buttons);
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
  }
}

TEST(DocxFailureReport, ConversionQuestionsBecomeMessageBoxes) {
  TempFolder root;
  ScriptedPlatform platform(root.Text());
  bool stop = false;
  const DocxCallbacks callbacks = DocxCallbacksFor(platform, [&stop] { return stop; });

  platform.AnswerNext(MsgResult::No);
  EXPECT_FALSE(callbacks.show({u"damaged?", u"", DocxMessage::Kind::Question}));
  platform.AnswerNext(MsgResult::Yes);
  EXPECT_TRUE(callbacks.show({u"big?", u"Big file", DocxMessage::Kind::QuestionDefaultNo}));
  callbacks.show({u"try text", u"Big file", DocxMessage::Kind::Notice});
  callbacks.show({u"cannot delete", u"Error", DocxMessage::Kind::Error});

  ASSERT_EQ(platform.messages.size(), 4u);
  const auto& damaged = platform.messages[0].request;
  EXPECT_EQ(damaged.buttons, MsgButtons::YesNo);
  EXPECT_EQ(damaged.title, u"");
  EXPECT_EQ(damaged.defaultButton, 1);
  const auto& big = platform.messages[1].request;
  EXPECT_EQ(big.buttons, MsgButtons::YesNo);
  EXPECT_EQ(big.title, u"Big file");
  EXPECT_EQ(big.defaultButton, 2);
  EXPECT_EQ(platform.messages[2].request.buttons, MsgButtons::Ok);
  EXPECT_EQ(platform.messages[2].request.icon, MsgIcon::None);
  EXPECT_EQ(platform.messages[3].request.icon, MsgIcon::Exclamation);

  // The event check is the caller's stop check.
  EXPECT_FALSE(callbacks.processEvents());
  stop = true;
  EXPECT_TRUE(callbacks.processEvents());
}

}  // namespace
}  // namespace quor
