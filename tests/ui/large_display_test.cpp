// The large output window driven as callers feed it and as a user presses its
// buttons: capacity, buffer-full notice, array display, pause, copy, close.
#include "ui/frm_large_display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_platform.h"
#include "support/temp_folder.h"
#include "ui/app_context.h"

namespace quor::ui {
namespace {

constexpr int kCapacity = frmLargeDisplay::kCapacity;

// A line of exactly width characters before its CR LF: "line 12 xxxx...".
std::u16string Line(int number, int width) {
  std::u16string text = u"line ";
  for (char c : std::to_string(number)) text += static_cast<char16_t>(c);
  text += u' ';
  text.resize(static_cast<std::size_t>(width), u'x');
  return text;
}

class LargeDisplayTest : public ::testing::Test {
 protected:
  LargeDisplayTest() {
    app.texts.Set(185, u"Copy all text");
    app.texts.Set(424, u"Copy selection");
    app.texts.Set(428, u"Pause");
    app.texts.Set(429, u"Continue");
  }

  test::TempFolder temp;
  test::ScriptedPlatform platform{temp.Text()};
  AppContext app{platform, ProgramTexts{}};
  frmLargeDisplay& display = app.LargeDisplay();

  const std::u16string& Text() const { return display.txbOutput.Text(); }
};

TEST_F(LargeDisplayTest, IsOneSharedInstance) {
  EXPECT_EQ(&app.LargeDisplay(), &display);
  EXPECT_EQ(display.txbOutput.font.name, u"Courier New");
  EXPECT_TRUE(display.txbOutput.multiLine);
  EXPECT_TRUE(display.txbOutput.readOnly);
}

TEST_F(LargeDisplayTest, OutputAppendsTextAndLineBreaks) {
  display.Output(u"first", 1, false);
  display.Output(u"second", 0, false);
  display.Output(u" part", 2, true);
  EXPECT_EQ(Text(), u"first\r\nsecond part\r\n\r\n");
  EXPECT_EQ(display.txbOutput.selStart, static_cast<int>(Text().size())) << "scrolled to the end";
}

TEST_F(LargeDisplayTest, OutputPastCapacityEndsWithTheNoticeAndDropsTheRest) {
  display.BufferFullMessage = u"The file list buffer is full.";
  display.ContinuationMessage = u"File counting continues ...";
  display.cmdCopyToClipboard.enabled = false;

  std::u16string fed;
  int n = 0;
  while (Text().size() <= static_cast<std::size_t>(kCapacity)) {
    const std::u16string line = Line(++n, 98);
    display.Output(line, 1, false);
    fed += line + u"\r\n";
    ASSERT_EQ(Text(), fed);
  }
  const std::size_t overLength = Text().size();
  EXPECT_FALSE(display.FullMessageShown());

  display.Output(u"the line that finds the buffer full", 1, false);
  const std::u16string notice =
      u" ...\r\n\r\nThe file list buffer is full.  File counting continues ...\r\n";
  EXPECT_EQ(Text(), fed.substr(0, overLength - 512) + notice);
  EXPECT_TRUE(display.BufferFull());
  EXPECT_TRUE(display.FullMessageShown());
  EXPECT_TRUE(display.cmdCopyToClipboard.enabled);

  const std::u16string full = Text();
  for (int i = 0; i < 20; ++i) display.Output(Line(++n, 98), 1, true);
  EXPECT_EQ(Text(), full) << "later output is dropped";
}

TEST_F(LargeDisplayTest, ClearMakesRoomAgain) {
  display.Output(std::u16string(kCapacity + 1, u'a'), 0, false);
  display.Output(u"b", 0, false);
  ASSERT_TRUE(display.FullMessageShown());
  display.Clear();
  EXPECT_FALSE(display.BufferFull());
  display.Output(u"fresh", 1, false);
  EXPECT_EQ(Text(), u"fresh\r\n");
}

TEST_F(LargeDisplayTest, NoticeNeverSplitsACharacterOutsideTheBasicPlane) {
  // "𝄞" is two UTF-16 units; place one so that the cut falls between them.
  std::u16string text(kCapacity + 1, u'a');
  const std::size_t cut = text.size() - 512;
  text[cut - 1] = 0xD834;
  text[cut] = 0xDD1E;
  display.Output(text, 0, false);
  display.Output(u"more", 0, false);
  ASSERT_TRUE(display.FullMessageShown());
  EXPECT_EQ(Text().substr(0, cut - 1), text.substr(0, cut - 1));
  EXPECT_EQ(Text().substr(cut - 1, 4), u" ...");
}

TEST_F(LargeDisplayTest, DisplayArrayShowsEntriesAndTheClosingTextWithIndexesClamped) {
  const std::vector<std::u16string> list = {u"unused", u"a.txt", u"b.txt", u"c.txt"};
  display.DisplayArray(list, 1, 3, u"That's all", false);
  EXPECT_EQ(Text(), u"a.txt\r\nb.txt\r\nc.txt\r\n\r\nThat's all\r\n");
  display.Clear();
  display.DisplayArray(list, -4, 9, u"end", false);
  EXPECT_EQ(Text(), u"unused\r\na.txt\r\nb.txt\r\nc.txt\r\n\r\nend\r\n");
}

TEST_F(LargeDisplayTest, DisplayArrayGroupsByFolder) {
  struct Row {
    const char* name;
    std::vector<std::u16string> entries;
    std::u16string expected;
  };
  const std::vector<Row> rows = {
      {"no blank line before the first entry",
       {u"docs/a.txt", u"docs/b.txt"},
       u"docs/a.txt\r\ndocs/b.txt\r\n"},
      {"blank line where the folder changes",
       {u"top.txt", u"docs/a.txt", u"docs/b.txt", u"docs/old/c.txt", u"src/d.txt"},
       u"top.txt\r\n\r\ndocs/a.txt\r\ndocs/b.txt\r\n\r\ndocs/old/c.txt\r\n\r\nsrc/d.txt\r\n"},
      {"same name in another folder",
       {u"a/readme.txt", u"b/readme.txt"},
       u"a/readme.txt\r\n\r\nb/readme.txt\r\n"},
      {"a folder whose name begins like the previous one",
       {u"docs/a.txt", u"docs2/a.txt"},
       u"docs/a.txt\r\n\r\ndocs2/a.txt\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    display.Clear();
    display.DisplayArray(row.entries, 0, static_cast<int>(row.entries.size()) - 1, u"", true);
    EXPECT_EQ(Text(), row.expected);
  }
}

TEST_F(LargeDisplayTest, DisplayArrayLongerThanCapacityShowsWhatFitsAndNoClosingText) {
  display.BufferFullMessage = u"THE FILE LIST BUFFER IS FULL.";
  std::vector<std::u16string> list;
  for (int i = 0; i < 1000; ++i) list.push_back(Line(i, 98));  // 100 characters per line
  display.DisplayArray(list, 0, 999, u"That's all", false);

  std::u16string expected;
  for (int i = 0; i < kCapacity / 100; ++i) expected += list[static_cast<std::size_t>(i)] + u"\r\n";
  expected += u"\r\nTHE FILE LIST BUFFER IS FULL.";
  EXPECT_EQ(Text(), expected);
  EXPECT_EQ(Text().find(u"That's all"), std::u16string::npos);
}

// A caller feeding the window line by line, as a listing does: it lets the
// window system run after each line and stops when the window is closed.
struct Feeder {
  Feeder(frmLargeDisplay& display, Platform& platform) : display(display), platform(platform) {}
  frmLargeDisplay& display;
  Platform& platform;
  int fedLines = 0;
  std::vector<bool> pausedWhenFed;

  void Run(int lines) {
    display.cmdCopyToClipboard.caption = u"Pause";
    display.Show();
    for (int i = 1; i <= lines; ++i) {
      platform.DoEvents();
      if (!display.Visible()) return;
      pausedWhenFed.push_back(display.Paused);
      display.Output(Line(i, 20), 1, true);
      ++fedLines;
    }
  }
};

TEST_F(LargeDisplayTest, PauseSuspendsFeedingUntilContinue) {
  Feeder feeder(display, platform);
  int linesWhenPaused = -1;
  int waitCalls = 0;
  platform.AtDoEvents(3, [&] {
    linesWhenPaused = feeder.fedLines;
    display.cmdCopyToClipboard.Click();  // the user presses Pause
  });
  platform.WhenDoEvents([&] { return display.Paused && ++waitCalls == 5; },
                        [&] {
                          EXPECT_EQ(display.cmdCopyToClipboard.caption, u"Continue");
                          EXPECT_EQ(feeder.fedLines, linesWhenPaused) << "nothing fed while paused";
                          display.cmdCopyToClipboard.Click();  // ... and Continue
                        });
  feeder.Run(6);

  EXPECT_EQ(linesWhenPaused, 2);
  EXPECT_EQ(feeder.fedLines, 6);
  EXPECT_EQ(feeder.pausedWhenFed, std::vector<bool>(6, false));
  EXPECT_FALSE(display.Paused);
  EXPECT_EQ(display.cmdCopyToClipboard.caption, u"Pause");
  EXPECT_EQ(platform.clipboard, u"") << "Pause and Continue copy nothing";
}

TEST_F(LargeDisplayTest, ClosingWhilePausedEndsTheWait) {
  Feeder feeder(display, platform);
  platform.AtDoEvents(2, [&] { display.cmdCopyToClipboard.Click(); });
  platform.WhenDoEvents([&] { return display.Paused; }, [&] { display.CloseByUser(); });
  feeder.Run(10);

  EXPECT_EQ(feeder.fedLines, 1);
  EXPECT_FALSE(display.Visible());
  EXPECT_TRUE(display.Loaded()) << "the close box hides the shared window";
  EXPECT_FALSE(display.Paused) << "a caller waiting on the pause must not wait for ever";
  EXPECT_EQ(display.cmdCopyToClipboard.caption, u"Pause");
}

TEST_F(LargeDisplayTest, HidingByTheCallerWhilePausedAlsoEndsTheWait) {
  display.Show();
  display.cmdCopyToClipboard.caption = u"Pause";
  platform.AtDoEvents(3, [&] { display.Hide(); });
  display.cmdCopyToClipboard.Click();
  EXPECT_FALSE(display.Paused);
}

TEST_F(LargeDisplayTest, PauseWorksWithTheProgramTextsWording) {
  app.texts.Set(428, u"Hold");
  app.texts.Set(429, u"Go on");
  display.Show();
  display.cmdCopyToClipboard.caption = u"Hold";
  platform.AtDoEvents(1, [&] {
    EXPECT_EQ(display.cmdCopyToClipboard.caption, u"Go on");
    display.cmdCopyToClipboard.Click();
  });
  display.cmdCopyToClipboard.Click();
  EXPECT_FALSE(display.Paused);
  EXPECT_EQ(display.cmdCopyToClipboard.caption, u"Hold");
}

TEST_F(LargeDisplayTest, CopyTakesTheSelectionOrElseEverything) {
  display.Show();
  display.Output(u"alpha beta gamma", 0, true);
  platform.clipboard = u"old";

  display.txbOutput.SetSelection(6, 4);
  EXPECT_EQ(display.cmdCopyToClipboard.caption, u"Copy selection");
  EXPECT_EQ(display.cmdCopyToClipboard.geometry.width, 3500);
  display.cmdCopyToClipboard.Click();
  EXPECT_EQ(platform.clipboard, u"beta");
  EXPECT_EQ(display.txbOutput.selLength, 0) << "the selection is removed";
  EXPECT_EQ(display.cmdCopyToClipboard.caption, u"Copy all text");
  EXPECT_EQ(display.cmdCopyToClipboard.geometry.width, 2500);
  EXPECT_TRUE(display.cmdClose.HasFocus());

  display.cmdCopyToClipboard.Click();
  EXPECT_EQ(platform.clipboard, u"alpha beta gamma");
}

TEST_F(LargeDisplayTest, CopyCaptionsFallBackWhenProgramTextsAreMissing) {
  AppContext bare{platform, ProgramTexts{}};
  frmLargeDisplay& window = bare.LargeDisplay();
  window.Output(u"abc", 0, true);
  window.txbOutput.SetSelection(0, 1);
  EXPECT_EQ(window.cmdCopyToClipboard.caption, u"Copy selected text to clipboard");
  window.txbOutput.SetSelection(0, 0);
  EXPECT_EQ(window.cmdCopyToClipboard.caption, u"Copy to clipboard");
}

TEST_F(LargeDisplayTest, EnterCopiesTheSelectionAndIsSwallowed) {
  display.Show();
  display.Output(u"one two", 0, true);
  display.txbOutput.Type(u"\r");
  EXPECT_EQ(platform.clipboard, u"") << "nothing selected: Enter does nothing";

  display.txbOutput.SetSelection(4, 3);
  char16_t key = u'\r';
  display.txbOutput.KeyPress(key);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(platform.clipboard, u"two");
  EXPECT_EQ(Text(), u"one two");
}

TEST_F(LargeDisplayTest, StopCaptionTurnsIntoCloseBeforeTheWindowCloses) {
  display.Show();
  display.cmdClose.caption = u"Stop";
  display.CloseByUser();  // the close box runs the Close button's handler
  EXPECT_EQ(display.cmdClose.caption, u"Close");
  EXPECT_TRUE(display.Visible());

  display.windowState = WindowState::Maximized;
  display.cmdClose.Click();
  EXPECT_FALSE(display.Visible());
  EXPECT_EQ(display.windowState, WindowState::Normal);
}

TEST_F(LargeDisplayTest, ActivationRestoresTheWindowAndSetsTheCopyButton) {
  display.windowState = WindowState::Minimized;
  display.cmdCopyToClipboard.caption = u"anything";
  EXPECT_FALSE(display.Activated);
  display.Show();
  EXPECT_TRUE(display.Activated);
  EXPECT_EQ(display.windowState, WindowState::Normal);
  EXPECT_EQ(display.cmdCopyToClipboard.caption, u"Copy all text");
}

TEST_F(LargeDisplayTest, WidensForLongLinesUpToTheScreenFraction) {
  display.geometry = {0, 0, 4000, 5000};
  EXPECT_FALSE(display.WidenDisplayIfNeeded(u"short", 95, 0.95));
  EXPECT_EQ(display.geometry.width, 4000);

  const std::u16string longLine(60, u'w');
  EXPECT_TRUE(display.WidenDisplayIfNeeded(longLine, 95, 0.95));
  const int widened = display.geometry.width;
  EXPECT_GT(widened, 4000);
  EXPECT_LE(widened, static_cast<int>(0.95 * platform.screenWidthTwips));
  EXPECT_GE(display.txbOutput.geometry.width, static_cast<int>(60 * 10 * 0.6 * 20))
      << "the text box gives the line its room";

  EXPECT_FALSE(display.WidenDisplayIfNeeded(u"short", 95, 0.95)) << "never narrows";
  EXPECT_TRUE(display.WidenDisplayIfNeeded(std::u16string(5000, u'w'), 95, 0.95));
  const int capped = display.geometry.width;
  EXPECT_FALSE(display.WidenDisplayIfNeeded(std::u16string(9000, u'w'), 95, 0.95))
      << "lines longer than the character count wrap";
  EXPECT_EQ(display.geometry.width, capped);

  EXPECT_TRUE(display.WidenDisplayIfNeeded(std::u16string(9000, u'w'), 0, 0.99));
  EXPECT_EQ(display.geometry.width, static_cast<int>(0.99 * platform.screenWidthTwips));
  EXPECT_LE(display.geometry.left + display.geometry.width, platform.screenWidthTwips);
}

TEST_F(LargeDisplayTest, ControlsStayInsideTheWindowWhenResized) {
  for (const Geometry size :
       {Geometry{0, 0, 9600, 7200}, Geometry{0, 0, 4000, 3000}, Geometry{0, 0, 18000, 12000}}) {
    display.geometry = size;
    display.Form_Resize();
    SCOPED_TRACE(size.width);
    EXPECT_LE(display.txbOutput.geometry.left + display.txbOutput.geometry.width,
              display.ScaleWidth());
    EXPECT_LE(display.cmdClose.geometry.left + display.cmdClose.geometry.width,
              display.ScaleWidth());
    EXPECT_LT(display.txbOutput.geometry.top + display.txbOutput.geometry.height,
              display.cmdClose.geometry.top);
  }
}

}  // namespace
}  // namespace quor::ui
