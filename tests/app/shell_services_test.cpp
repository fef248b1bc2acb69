#include "ui/shell_services.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/encoding.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace quor::ui {
namespace {

using test::ScriptedPlatform;
using test::TempFolder;

TEST(OpenInBrowser, FailureCodesGiveTheirReasons) {
  struct Row {
    const char* name;
    int code;
    std::u16string address;
    std::u16string expected;  // empty: a success, without message
  };
  const Row rows[] = {
      {"33 and above succeed", 33, u"https://quor.example.org/", u""},
      {"no association names the extension", 31, u"/docs/manual.xyz",
       u"Error launching web browser, error code = 31.\r\n\r\nFile extension 'xyz' is not "
       u"associated with any application program."},
      {"out of memory", 8, u"https://quor.example.org/",
       u"Error launching web browser, error code = 8.\r\n\r\nOut of memory."},
      {"not found asks to try again", 2, u"https://quor.example.org/",
       u"Error launching web browser, error code = 2.\r\n\r\nPlease try once more."},
      {"other codes have no reason", 5, u"https://quor.example.org/",
       u"Error launching web browser, error code = 5."},
      {"32 still fails", 32, u"x", u"Error launching web browser, error code = 32."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    ScriptedPlatform platform(folder.Text());
    platform.openResult = row.code;
    EXPECT_EQ(OpenInBrowser(platform, row.address), row.expected.empty());
    if (row.expected.empty()) {
      EXPECT_TRUE(platform.messages.empty());
      continue;
    }
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].request.text, row.expected);
    EXPECT_EQ(platform.messages[0].request.title, u"Cannot launch web browser");
    EXPECT_EQ(platform.messages[0].request.icon, MsgIcon::Exclamation);
  }
}

TEST(ManualAddress, ALocalFileWhoseAddressSurvivesSpacesAndAccents) {
  TempFolder folder;
  ScriptedPlatform platform(folder.Text());
  platform.programFolder = u"/opt/my quor/caf\u00E9#1";
  EXPECT_EQ(ManualPath(platform, u"manual.html"), u"/opt/my quor/caf\u00E9#1/manual.html");
  EXPECT_EQ(ManualAddress(platform, u"manual.html"),
            u"file:///opt/my%20quor/caf%C3%A9%231/manual.html");
}

TEST(OpenDocument, FailureNamesTheFileAndReturnsFalse) {
  TempFolder folder;
  ScriptedPlatform platform(folder.Text());
  platform.openResult = 31;
  EXPECT_FALSE(OpenDocument(platform, u"/docs/report.htm"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].request.text,
            u"Error when opening file /docs/report.htm.\r\nPerhaps the file extension has no "
            u"association.");
  EXPECT_EQ(platform.messages[0].request.title, u"Error");
  platform.openResult = 42;
  EXPECT_TRUE(OpenDocument(platform, u"/docs/report.htm"));
}

class GroupsForm : public Form {
 public:
  explicit GroupsForm(Platform& platform) : Form(platform, "frmGroups") {}
  CommandButton cmd{*this, "cmd"};
  Frame fra{*this, "fra"};
  TextBox txb{*this, "txb"};
  Label lbl{*this, "lbl"};
  CheckBox chk{*this, "chk"};
  ComboBox cbo{*this, "cbo"};
  Timer tmr{*this, "tmr"};
};

TEST(EnableFormControls, TouchesOnlyTheChosenGroups) {
  TempFolder folder;
  ScriptedPlatform platform(folder.Text());
  GroupsForm form(platform);
  form.Show();
  EnableFormControls(form, {.buttons = true, .textBoxes = true}, false);
  EXPECT_FALSE(form.cmd.enabled);
  EXPECT_FALSE(form.txb.enabled);
  EXPECT_TRUE(form.fra.enabled);
  EXPECT_TRUE(form.lbl.enabled);
  EXPECT_TRUE(form.chk.enabled);
  EnableFormControls(form, {.frames = true, .labels = true, .others = true}, false);
  EXPECT_FALSE(form.fra.enabled);
  EXPECT_FALSE(form.lbl.enabled);
  EXPECT_FALSE(form.chk.enabled);
  EXPECT_FALSE(form.cbo.enabled);
  EXPECT_TRUE(form.tmr.enabled);  // timers are no group
  EXPECT_GE(platform.refreshCalls, 2);
}

}  // namespace
}  // namespace quor::ui
