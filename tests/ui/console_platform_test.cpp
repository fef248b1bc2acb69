// The command line's platform and the system services it shares with the GUI.
#include "ui/console_platform.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

#include "support/temp_folder.h"
#include "ui/form.h"
#include "ui/system_services.h"

namespace quor::ui {
namespace {

TEST(ConsolePlatformTest, AnswersFollowTheYesPolicy) {
  struct Row {
    MsgButtons buttons;
    bool assumeYes;
    MsgResult expected;
  };
  const Row rows[] = {
      {MsgButtons::Ok, false, MsgResult::Ok},
      {MsgButtons::OkCancel, false, MsgResult::Ok},
      {MsgButtons::YesNo, false, MsgResult::No},
      {MsgButtons::YesNo, true, MsgResult::Yes},
      {MsgButtons::YesNoCancel, false, MsgResult::No},
      {MsgButtons::YesNoCancel, true, MsgResult::Yes},
      {MsgButtons::AbortRetryIgnore, true, MsgResult::Abort},
      {MsgButtons::RetryCancel, true, MsgResult::Cancel},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.buttons) * 10 + row.assumeYes);
    EXPECT_EQ(ConsolePlatform::PolicyAnswer(row.buttons, row.assumeYes), row.expected);
  }
}

TEST(ConsolePlatformTest, MessagesGoToStderrWithTitleAndAnswer) {
  std::ostringstream err;
  ConsolePlatform platform({.assumeYes = true}, err);
  platform.MsgBox(u"Line one\r\nLine two é", MsgButtons::Ok, MsgIcon::Information, u"Notice");
  const MsgResult answer =
      platform.MsgBox(u"Overwrite?", MsgButtons::YesNo, MsgIcon::Question, u"Save");
  EXPECT_EQ(answer, MsgResult::Yes);
  EXPECT_EQ(err.str(), "Notice: Line one\nLine two \xC3\xA9\nSave: Overwrite?\n  -> Yes\n");
}

TEST(ConsolePlatformTest, ModalFormsAreDismissedAndDialogsCancelled) {
  std::ostringstream err;
  ConsolePlatform platform({}, err);
  Form form(platform, "frmDialog");
  form.Show(true);
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(platform.BrowseForFolder(&form, u"Choose").empty());
  EXPECT_TRUE(platform.ShowOpenDialog({}).empty());
  EXPECT_EQ(platform.OpenInBrowser(u"https://example.org/"), 42);
  EXPECT_NE(err.str().find("https://example.org/"), std::string::npos);
}

TEST(ConsolePlatformTest, CtrlCTakesTheStopPathOnce) {
  std::ostringstream err;
  ConsolePlatform platform({}, err);
  int stops = 0;
  platform.onInterrupt = [&] { ++stops; };
  platform.InstallInterruptHandler();
  platform.DoEvents();
  EXPECT_EQ(stops, 0);

  std::raise(SIGINT);
  EXPECT_TRUE(platform.Interrupted());
  platform.DoEvents();
  platform.DoEvents();
  EXPECT_EQ(stops, 1);
  std::signal(SIGINT, SIG_DFL);
}

TEST(SystemServicesTest, AppDataFolderFromTheEnvironment) {
  struct Row {
    const char* name;
    const char* xdg;
    const char* home;
    std::u16string expected;
  };
  const Row rows[] = {
      {"XDG_DATA_HOME wins", "/data/me", "/home/me", u"/data/me"},
      {"trailing separators dropped", "/data/me//", "/home/me", u"/data/me"},
      {"relative XDG_DATA_HOME ignored", "data", "/home/me", u"/home/me/.local/share"},
      {"empty XDG_DATA_HOME ignored", "", "/home/me/", u"/home/me/.local/share"},
      {"unset XDG_DATA_HOME", nullptr, "/home/me", u"/home/me/.local/share"},
      {"nothing known", nullptr, nullptr, u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(AppDataFolderFrom(row.xdg, row.home), row.expected);
  }
  EXPECT_EQ(TempFolderFrom(nullptr), u"/tmp");
  EXPECT_EQ(TempFolderFrom(""), u"/tmp");
  EXPECT_EQ(TempFolderFrom("/var/tmp/"), u"/var/tmp");
}

TEST(SystemServicesTest, ProgramFolderFallsBackToTheInstalledLayout) {
  test::TempFolder temp;
  const std::string root = temp.Path().string();
  temp.MakeFolder("bin");
  const std::u16string bin(root.begin(), root.end());
  EXPECT_EQ(ProgramFolderFor(bin + u"/bin"), bin + u"/bin") << "neither has the file";

  temp.Write("share/quor/quor.dat", "1 text\n");
  EXPECT_EQ(ProgramFolderFor(bin + u"/bin"), bin + u"/share/quor");
  EXPECT_EQ(ProgramFolderFor(bin + u"/bin/"), bin + u"/share/quor");

  temp.Write("bin/quor.dat", "1 text\n");
  EXPECT_EQ(ProgramFolderFor(bin + u"/bin"), bin + u"/bin") << "beside the executable first";
}

TEST(SystemServicesTest, DriveQueriesLookAtTheNearestExistingFolder) {
  test::TempFolder temp;
  const std::string missing = (temp.Path() / "not" / "yet" / "made.quor").string();
  const std::u16string path(missing.begin(), missing.end());
  const auto free = DiskFreeSpaceAt(path);
  ASSERT_TRUE(free.has_value());
  EXPECT_GE(*free, 0);
  EXPECT_FALSE(IsReadOnlyFileSystemAt(path));
  EXPECT_FALSE(DiskFreeSpaceAt(u"").has_value());
}

}  // namespace
}  // namespace quor::ui
