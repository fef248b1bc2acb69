#include "app/frm_main.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/encoding.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"
#include "ui/frm_pop_up.h"

namespace quor::app {
namespace {

using test::ScriptedPlatform;
using test::TempFolder;

// A module window that reports back to the launcher as real modules do.
class FakeModule : public ui::Form {
 public:
  FakeModule(ui::Platform& platform, ui::Launcher& launcher, std::string name)
      : Form(platform, std::move(name)), launcher_(launcher) {}
  void Form_Unload() override { launcher_.ModuleWindowClosed(); }
  ui::Launcher& launcher_;
};

class LauncherTest : public ::testing::Test {
 protected:
  LauncherTest() : platform(folder.Text()) {}

  LauncherOptions Options() {
    LauncherOptions options;
    options.endProgram = [this](int status) { endedWith = status; };
    return options;
  }

  TempFolder folder;
  ScriptedPlatform platform;
  int endedWith = -1;
};

TEST_F(LauncherTest, StartUpLoadsTheTextsAndCentresTheWindowWithoutAMessage) {
  frmMain launcher(platform, Options());
  launcher.Show();
  ASSERT_TRUE(launcher.HasContext());
  EXPECT_FALSE(launcher.Context().GetProgramText(60).empty());
  EXPECT_EQ(launcher.Context().LauncherCaption, launcher.caption);
  EXPECT_EQ(launcher.geometry.left, (platform.ScreenWidth() - launcher.geometry.width) / 2);
  EXPECT_EQ(launcher.geometry.top, (platform.ScreenHeight() - launcher.geometry.height) / 2);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(launcher.Ended());
}

TEST_F(LauncherTest, MissingOrDamagedProgramTextFileShowsCriticalMessageAndEndsWithFailure) {
  struct Row {
    const char* name;
    const char* content;  // of the program folder's quor.dat; null: none
    std::u16string textPart;
  };
  const Row rows[] = {
      {"missing", nullptr, u"Cannot open file containing program text."},
      {"a number twice", "1=QUOR\n1=again\n", u"Duplicate"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder program;
    if (row.content) program.Write("quor.dat", row.content);
    ScriptedPlatform scripted(folder.Text());
    scripted.programFolder = Utf8ToText(program.Path().string());
    endedWith = -1;
    frmMain launcher(scripted, Options());
    launcher.Load();
    ASSERT_EQ(scripted.messages.size(), 1u);
    const auto& request = scripted.messages[0].request;
    EXPECT_EQ(request.icon, ui::MsgIcon::Critical);
    EXPECT_NE(request.text.find(row.textPart), std::u16string::npos) << TextToUtf8(request.text);
    EXPECT_TRUE(launcher.Ended());
    EXPECT_EQ(launcher.ExitStatus(), 1);
    EXPECT_EQ(endedWith, 1);
    EXPECT_FALSE(launcher.HasContext());
  }
}

TEST_F(LauncherTest, ModuleButtonWithoutModuleSaysItIsNotInThisBuild) {
  frmMain launcher(platform, Options());
  launcher.Show();
  launcher.cmdIndexModule.Click();
  launcher.cmdSearchModule.Click();
  EXPECT_EQ(platform.MessageTexts(),
            (std::vector<std::u16string>{u"The Index Module is not available in this build.",
                                         u"The Search Module is not available in this build."}));
  // The launcher stays where it was.
  EXPECT_TRUE(launcher.Visible());
}

TEST_F(LauncherTest, ModuleOpensHidesLauncherAndClosingItShowsLauncherAgain) {
  LauncherOptions options = Options();
  int made = 0;
  options.indexModule = [&](ui::AppContext& context, ui::Launcher& launcher) {
    ++made;
    return std::make_unique<FakeModule>(context.platform, launcher, "frmIndexMain");
  };
  frmMain launcher(platform, std::move(options));
  launcher.Show();
  launcher.cmdIndexModule.Click();
  ASSERT_NE(launcher.IndexModuleWindow(), nullptr);
  EXPECT_TRUE(launcher.IndexModuleWindow()->Visible());
  EXPECT_FALSE(launcher.Visible());

  launcher.IndexModuleWindow()->CloseByUser();
  EXPECT_TRUE(launcher.Visible());
  EXPECT_FALSE(launcher.IndexModuleWindow()->Loaded());

  // Opening again reuses the window and loads it anew.
  launcher.cmdIndexModule.Click();
  EXPECT_EQ(made, 1);
  EXPECT_TRUE(launcher.IndexModuleWindow()->Visible());
}

TEST_F(LauncherTest, ModuleSwitchOpensSearchModuleWhenLauncherShowsAgain) {
  LauncherOptions options = Options();
  std::u16string topFolderSeen;
  options.indexModule = [](ui::AppContext& context, ui::Launcher& launcher) {
    return std::make_unique<FakeModule>(context.platform, launcher, "frmIndexMain");
  };
  options.searchModule = [&](ui::AppContext& context, ui::Launcher& launcher) {
    // The search window reads the handed-over values while the flag is set.
    EXPECT_TRUE(context.ModuleSwitch);
    topFolderSeen = context.HandedOverTopFolder;
    return std::make_unique<FakeModule>(context.platform, launcher, "frmSearchMain");
  };
  frmMain launcher(platform, std::move(options));
  launcher.Show();
  launcher.cmdIndexModule.Click();
  // What the Index Module's switch button does.
  launcher.Context().ModuleSwitch = true;
  launcher.Context().HandedOverTopFolder = u"/data/docs/";
  launcher.IndexModuleWindow()->Unload();

  ASSERT_NE(launcher.SearchModuleWindow(), nullptr);
  EXPECT_TRUE(launcher.SearchModuleWindow()->Visible());
  EXPECT_FALSE(launcher.Visible());
  EXPECT_EQ(topFolderSeen, u"/data/docs/");
  EXPECT_FALSE(launcher.Context().ModuleSwitch);
}

TEST_F(LauncherTest, QuitFromModuleEndsProgramAndUnloadsModules) {
  LauncherOptions options = Options();
  options.indexModule = [](ui::AppContext& context, ui::Launcher& launcher) {
    return std::make_unique<FakeModule>(context.platform, launcher, "frmIndexMain");
  };
  frmMain launcher(platform, std::move(options));
  launcher.Show();
  launcher.cmdIndexModule.Click();
  launcher.EndProgram();
  EXPECT_TRUE(launcher.Ended());
  EXPECT_EQ(endedWith, 0);
  EXPECT_TRUE(launcher.Context().ModuleClosed);
  EXPECT_FALSE(launcher.IndexModuleWindow()->Loaded());
  // The module's unload did not bring the launcher back.
  EXPECT_FALSE(launcher.Visible());
}

TEST_F(LauncherTest, QuitButtonEndsProgram) {
  frmMain launcher(platform, Options());
  launcher.Show();
  launcher.cmdQuit.Click();
  EXPECT_TRUE(launcher.Ended());
  EXPECT_EQ(endedWith, 0);
  EXPECT_FALSE(launcher.Loaded());
}

TEST_F(LauncherTest, HelpShowsANoteThenOpensTheManual) {
  frmMain launcher(platform, Options());
  launcher.Show();
  launcher.cmdHelp.Click();
  ui::frmPopUp& popUp = launcher.Context().PopUp();
  EXPECT_TRUE(popUp.Visible());
  EXPECT_EQ(popUp.lblMessage.caption, launcher.Context().GetProgramText(151));
  EXPECT_TRUE(popUp.Timer1.enabled);
  ASSERT_EQ(platform.openedAddresses.size(), 1u);
  EXPECT_EQ(platform.openedAddresses[0], u"file://" + platform.ProgramFolder() + u"/manual.html");
  EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace quor::app
