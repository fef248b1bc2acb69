// "Report ->" and the reports of the Search Module: each refusal, the HTML
// report written to the program's data folder and opened, the text report in
// the large output window, and Stop during either.
#include "windows/frm_search_main.h"

#include "common/paths.h"
#include "ui/frm_large_display.h"
#include "windows/frm_search_main_test_fixture.h"

namespace quor::test {
namespace {

class SearchReportTest : public SearchMainTest {
 public:
  std::string ReportText() const {
    return ReadWholeFile(form->ReportPath()).value_or("(no report)");
  }
};

TEST_F(SearchReportTest, ReportButtonRefusesUntilTheLastSearchCanBeReported) {
  WriteTree();
  Open();
  form->chkGenerateHTML.SetValue(0);
  struct Row {
    const char* name;
    std::function<void()> before;
    std::u16string text;
  } rows[] = {
      {"no index file", [] {}, u""},
      {"no top folder", [&] { PickIndex(); }, u""},
      {"no search yet", [&] { PickTop(); },
       u"Nothing to report.  Either there are no matches\r\nor a search has not yet been "
       u"performed."},
      {"words changed",
       [&] {
         Search(u"dogs");
         Type(u"cats");
       },
       app.GetProgramText(66) + u"\r\n" + app.GetProgramText(68)},
      {"sorting asked after the search",
       [&] {
         form->cmdSearch.Click();
         form->chkSortMatches.SetValue(1);
       },
       u"Sorting has been requested.\r\n" + app.GetProgramText(68)},
      {"a maximum of zero",
       [&] {
         form->cmdSearch.Click();
         form->txbMaxNumExtracts.SetText(u"0");
       },
       u"The maximum number of extracts cannot be zero."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    row.before();
    platform.messages.clear();
    form->cmdGenerateHTML.Click();
    ASSERT_EQ(platform.messages.size(), 1u);
    if (!row.text.empty()) {
      EXPECT_EQ(platform.messages[0].request.text, row.text);
    }
    EXPECT_TRUE(platform.openedAddresses.empty());
    EXPECT_FALSE(FileExists(form->ReportPath()));
  }
  EXPECT_EQ(platform.messages[0].request.title, u"Report ->");

  // Mended, the report is written and opened.
  platform.messages.clear();
  form->txbMaxNumExtracts.SetText(u" 2 ");
  form->cmdGenerateHTML.Click();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(form->txbMaxNumExtracts.Text(), u"2");
  EXPECT_EQ(platform.openedAddresses, std::vector<std::u16string>{form->ReportPath()});
  EXPECT_EQ(GetFileName(form->ReportPath()), u"quor.htm");
  const std::string html = ReportText();
  EXPECT_NE(html.find("<b>cats</b>"), std::string::npos);
  EXPECT_NE(html.find("All occurrences are displayed."), std::string::npos);
  // The results box is back as the search left it.
  EXPECT_NE(form->txbFiles.Text().find(TopText() + u"a.txt"), std::u16string::npos);
  EXPECT_EQ(form->cmdGenerateHTML.caption, u"Report ->");
}

TEST_F(SearchReportTest, ReportAfterTheSearchWhenTicked) {
  WriteTree();
  Open();
  Search(u"dogs");
  EXPECT_EQ(platform.openedAddresses.size(), 1u);
  EXPECT_NE(ReportText().find("sub/b.txt"), std::string::npos);
}

TEST_F(SearchReportTest, StopDuringTheHtmlReportEndsItUnopened) {
  WriteTree(20);
  Open();
  form->chkGenerateHTML.SetValue(0);
  Search(u"cats");
  platform.WhenDoEvents([&] { return form->cmdGenerateHTML.caption == u"Stop"; },
                        [&] { form->cmdGenerateHTML.Click(); });
  form->cmdGenerateHTML.Click();
  const std::string html = ReportText();
  EXPECT_NE(html.find("[Generation of report was stopped.]"), std::string::npos);
  EXPECT_NE(html.find("</BODY></HTML>"), std::string::npos);
  EXPECT_EQ(html.find("more/119.txt"), std::string::npos);
  EXPECT_TRUE(platform.openedAddresses.empty());
  EXPECT_EQ(form->cmdGenerateHTML.caption, u"Report ->");
  EXPECT_TRUE(form->cmdSearch.enabled);
}

TEST_F(SearchReportTest, TextReportFillsTheOutputWindow) {
  WriteTree();
  tmp.Write("top/a.txt", "cats and dogs, cats\r\n" + std::string(10300, ' ') + "cats\r\n");
  Open();
  form->optTextReport.SetValue(true);
  ui::frmLargeDisplay& display = app.LargeDisplay();
  bool noteSeen = false;
  platform.WhenDoEvents([&] { return display.txbOutput.Text().ends_with(u"Searching file ..."); },
                        [&] { noteSeen = true; });
  Search(u"cats");
  EXPECT_TRUE(display.Visible());
  EXPECT_EQ(display.caption, u"Search results");
  const std::u16string& text = display.txbOutput.Text();
  EXPECT_TRUE(text.starts_with(u"Search word: cats\r\n"));
  EXPECT_NE(text.find(TopText() + u"a.txt\r\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"All occurrences are displayed."), std::u16string::npos);
  EXPECT_EQ(text.find(u"<b>"), std::u16string::npos);
  EXPECT_TRUE(noteSeen);
  EXPECT_EQ(text.find(u"Searching file ..."), std::u16string::npos);
  EXPECT_EQ(display.cmdClose.caption, u"Close");
  EXPECT_TRUE(display.cmdCopyToClipboard.enabled);
  EXPECT_TRUE(platform.openedAddresses.empty());
}

TEST_F(SearchReportTest, StopInTheOutputWindowEndsTheTextReportWithoutItsFoot) {
  WriteTree(20);
  Open();
  form->optTextReport.SetValue(true);
  ui::frmLargeDisplay& display = app.LargeDisplay();
  platform.WhenDoEvents(
      [&] { return display.txbOutput.Text().find(u"more/103.txt") != std::u16string::npos; },
      [&] { display.cmdClose.Click(); });
  Search(u"cats");
  const std::u16string& text = display.txbOutput.Text();
  EXPECT_EQ(text.find(u"more/119.txt"), std::u16string::npos);
  EXPECT_EQ(text.find(u"All occurrences are displayed."), std::u16string::npos);
  EXPECT_EQ(display.cmdClose.caption, u"Close");
  EXPECT_TRUE(display.cmdCopyToClipboard.enabled);
  EXPECT_TRUE(form->cmdSearch.enabled);
}

TEST_F(SearchReportTest, PausedTextReportWaitsForContinue) {
  WriteTree(5);
  Open();
  form->optTextReport.SetValue(true);
  ui::frmLargeDisplay& display = app.LargeDisplay();
  std::size_t lengthAtPause = 0;
  bool grewWhilePaused = false;
  platform.WhenDoEvents(
      [&] { return display.txbOutput.Text().find(u"more/101.txt") != std::u16string::npos; },
      [&] {
        lengthAtPause = display.txbOutput.Text().size();
        // Press Continue a few event rounds later.
        platform.AtDoEvents(5, [&] {
          grewWhilePaused = display.txbOutput.Text().size() != lengthAtPause;
          display.cmdCopyToClipboard.Click();
        });
        display.cmdCopyToClipboard.Click();  // "Pause"
      });
  Search(u"cats");
  EXPECT_GT(lengthAtPause, 0u);
  EXPECT_FALSE(grewWhilePaused);
  EXPECT_NE(display.txbOutput.Text().find(u"All occurrences are displayed."), std::u16string::npos);
}

}  // namespace
}  // namespace quor::test
