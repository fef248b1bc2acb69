// A user at the Index Module window: a temporary folder with a tree to
// index, the scripted platform, the program's texts, and the window.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/encoding.h"
#include "support/temp_folder.h"
#include "ui/app_context.h"
#include "windows/frm_index_main.h"
#include "windows/module_window_fixture.h"

namespace quor::test {

class IndexMainTest : public ::testing::Test {
 public:
  IndexMainTest()
      : platform(Utf8ToText((tmp.Path() / "machine").string())),
        app(platform, LoadProgramTexts(platform)) {
    std::filesystem::create_directories(tmp.Path() / "top");
    std::filesystem::create_directories(tmp.Path() / "out");
  }

  // Opens a fresh window, as the launcher does.
  frmIndexMain& Open() {
    form.reset();
    form = std::make_unique<frmIndexMain>(app, &launcher);
    form->Show();
    return *form;
  }

  std::u16string TopText() const { return Utf8ToText((tmp.Path() / "top").string() + "/"); }
  std::u16string OutText() const { return Utf8ToText((tmp.Path() / "out").string() + "/"); }
  void WriteText(const std::string& relative, std::size_t size = 100) {
    std::string text;
    while (text.size() < size) text += "words of the text\r\n";
    text.resize(size);
    tmp.Write("top/" + relative, text);
  }
  // The user picks the top folder in the folder browser.
  void PickTopFolder() {
    platform.folderAnswers.push_back(Utf8ToText((tmp.Path() / "top").string()));
    form->cmdTopFolder_Click();
  }
  void PickOutputFolder() {
    platform.folderAnswers.push_back(Utf8ToText((tmp.Path() / "out").string()));
    form->cmdOutputFolder_Click();
  }
  // Types into a box the way a user does: focus in, keys, focus out.
  void TypeInto(ui::TextBox& box, std::u16string_view text) {
    box.SetFocus();
    box.SetSelection(0, static_cast<int>(box.Text().size()));
    box.Type(text);
    form->cmdQuit.SetFocus();
  }
  const ScriptedPlatform::ShownMessage& OnlyMessage() const {
    EXPECT_EQ(platform.messages.size(), 1u);
    return platform.messages.back();
  }

  TempFolder tmp;
  ScriptedPlatform platform;
  ui::AppContext app;
  RecordingLauncher launcher;
  std::unique_ptr<frmIndexMain> form;
};

}  // namespace quor::test
