#include <gtest/gtest.h>

#include <QPushButton>
#include <QWidget>
#include <memory>

#include "app/frm_main.h"
#include "support/temp_folder.h"
#include "ui/qt/form_renderer.h"
#include "ui/qt/qt_platform.h"
#include "windows/frm_index_main.h"

namespace quor::app {
namespace {

// The launcher and the Index Module on real widgets, driven by clicks.
TEST(LauncherWindow, IndexModuleButtonSwapsWindowsAndClosingComesBack) {
  test::TempFolder folder;
  ui::qt::QtPlatform::Options platformOptions;
  platformOptions.doEventsInterval = std::chrono::milliseconds(0);
  platformOptions.appDataFolder = folder.Text() + u"appdata";
  platformOptions.programFolder = u"" QUOR_DATA_DIR;
  platformOptions.tempFolder = folder.Text();
  platformOptions.interactive = false;
  ui::qt::QtPlatform platform(platformOptions);
  int endedWith = -1;
  LauncherOptions options;
  options.indexModule = MakeIndexModule;
  options.endProgram = [&](int status) { endedWith = status; };
  frmMain launcher(platform, std::move(options));
  launcher.Show();
  ASSERT_FALSE(launcher.Ended());
  ui::qt::FormRenderer& renderer = platform.Renderer();
  QWidget* launcherWindow = renderer.WindowOf(launcher);
  ASSERT_NE(launcherWindow, nullptr);
  EXPECT_TRUE(launcherWindow->isVisible());
  EXPECT_EQ(launcherWindow->windowTitle(), QString::fromStdU16String(launcher.caption));

  qobject_cast<QPushButton*>(renderer.WidgetOf(launcher.cmdIndexModule))->click();
  ui::Form* module = launcher.IndexModuleWindow();
  ASSERT_NE(module, nullptr);
  ASSERT_NE(renderer.WindowOf(*module), nullptr);
  EXPECT_TRUE(renderer.WindowOf(*module)->isVisible());
  EXPECT_FALSE(launcherWindow->isVisible());

  renderer.WindowOf(*module)->close();
  EXPECT_FALSE(module->Loaded());
  EXPECT_TRUE(launcherWindow->isVisible());

  qobject_cast<QPushButton*>(renderer.WidgetOf(launcher.cmdQuit))->click();
  EXPECT_EQ(endedWith, 0);
  EXPECT_FALSE(launcherWindow->isVisible());
}

}  // namespace
}  // namespace quor::app
