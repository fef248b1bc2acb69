#include "app/frm_main.h"

#include <utility>

#include "common/paths.h"
#include "common/strings.h"
#include "extract/program_texts.h"
#include "ui/frm_large_display.h"
#include "ui/frm_pop_up.h"
#include "ui/platform.h"
#include "ui/shell_services.h"

namespace quor::app {

std::u16string MakeVersionText(int major, int minor) {
  return ToText(major) + u"." + ToText(minor) + u"7";
}

frmMain::frmMain(ui::Platform& platform, LauncherOptions options)
    : Form(platform, "frmMain"), options_(std::move(options)) {
  cmdIndexModule.caption = u"Call up the index module";
  cmdSearchModule.caption = u"Call up the search module";
  cmdHelp.caption = u"User manual";
  cmdQuit.caption = u"Quit";
  cmdIndexModule.Click = [this] { cmdIndexModule_Click(); };
  cmdSearchModule.Click = [this] { cmdSearchModule_Click(); };
  cmdHelp.Click = [this] { cmdHelp_Click(); };
  cmdQuit.Click = [this] { cmdQuit_Click(); };
  lblVantrelSystems.Click = [this] { lblVantrelSystems_Click(); };
  lblVS_URL.Click = [this] { lblVS_URL_Click(); };
  LayOut();
}

frmMain::~frmMain() {
  // Module windows talk to the context and to this launcher: they go first.
  indexWindow_.reset();
  searchWindow_.reset();
}

void frmMain::LayOut() {
  constexpr int kMargin = 360;
  constexpr int kInnerWidth = 6000;
  constexpr int kButtonHeight = 420;
  constexpr int kButtonStep = 540;
  geometry = {0, 0, kInnerWidth + 2 * kMargin + ui::kFrameWidthTwips, 0};

  lblIntro.geometry = {kMargin, 240, kInnerWidth, 1200};
  lblIntro.wordWrap = true;

  Frame1.geometry = {kMargin, 1560, kInnerWidth, 300 + 4 * kButtonStep};
  const int buttonLeft = (kInnerWidth - kStandardWidth) / 2;
  ui::CommandButton* buttons[] = {&cmdIndexModule, &cmdSearchModule, &cmdHelp, &cmdQuit};
  int tab = 0;
  for (ui::CommandButton* button : buttons) {
    button->container = &Frame1;
    button->geometry = {buttonLeft, 300 + tab * kButtonStep, kStandardWidth, kButtonHeight};
    button->tabIndex = tab++;
  }

  const int labelsTop = Frame1.geometry.top + Frame1.geometry.height + 180;
  lblVantrelSystems.geometry = {kMargin, labelsTop, kInnerWidth, 255};
  lblVantrelSystems.alignment = ui::Label::Alignment::Center;
  lblVS_URL.geometry = {kMargin, labelsTop + 270, kInnerWidth, 255};
  lblVS_URL.alignment = ui::Label::Alignment::Center;
  lblVS_URL.underline = true;

  geometry.height =
      lblVS_URL.geometry.top + lblVS_URL.geometry.height + 300 + ui::kFrameHeightTwips;
}

std::u16string frmMain::MakerAddress() const {
  return context_ ? context_->GetProgramText(6) : std::u16string();
}

bool frmMain::LoadProgramTexts(const std::u16string& fileName) {
  ui::Platform& platform = GetPlatform();
  const std::u16string path = EnsureTrailingBackslash(platform.ProgramFolder()) + fileName;
  ProgramTexts texts;
  const int result = texts.Load(path);
  if (result > 0) {
    context_ = std::make_unique<ui::AppContext>(platform, std::move(texts));
    return true;
  }
  // Without its texts the program cannot say anything else: it ends here.
  platform.MsgBox(ProgramTextLoadMessage(result, path, texts.ErrorLine()), ui::MsgButtons::Ok,
                  ui::MsgIcon::Critical, std::u16string(kProgramName));
  Finish(1);
  return false;
}

void frmMain::SetProcessWideValues() {
  ui::AppContext& context = *context_;
  context.VersionText = MakeVersionText(kMajorVersion, kMinorVersion);
  context.WindowColour = 15646940;
  context.ModuleClosed = false;
  context.ModuleSwitch = false;
  // Product name, version and what the product is: "QUOR 9.67 - Desktop
  // full-text indexer".
  std::u16string caption = context.GetProgramText(1) + u" " + context.VersionText;
  const std::u16string description = context.GetProgramText(311);
  if (!description.empty()) caption += u" - " + description;
  context.LauncherCaption = caption;
}

void frmMain::Form_Load() {
  ended_ = false;
  exitStatus_ = 0;
  if (!LoadProgramTexts(FoldCase(kProgramName) + u".dat")) return;
  SetProcessWideValues();
  ui::AppContext& context = *context_;

  lblIntro.caption = context.GetProgramText(60) + u" " + context.GetProgramText(61) + u"\r\n\r\n" +
                     context.GetProgramText(62) + u"\r\n" + context.GetProgramText(63);
  lblVantrelSystems.caption = context.GetProgramText(7);
  lblVS_URL.caption = MakerAddress();
  lblVS_URL.toolTip = MakerAddress();

  SetFormColour(context.WindowColour);
  CentreOnScreen();
  caption = context.LauncherCaption;
}

void frmMain::Form_Activate() {
  if (!context_ || !context_->ModuleSwitch) return;
  // The Index Module handed over: the Search Module reads the handed-over
  // values while the flag is still set.
  cmdSearchModule_Click();
  context_->ModuleSwitch = false;
}

void frmMain::OpenModule(std::unique_ptr<ui::Form>& window, const ModuleFactory& factory,
                         const std::u16string& moduleName, const ui::CommandButton& button) {
  if (!context_) return;
  if (!window && factory) window = factory(*context_, *this);
  if (!window) {
    GetPlatform().MsgBox(u"The " + moduleName + u" is not available in this build.",
                         ui::MsgButtons::Ok, ui::MsgIcon::Information, button.caption);
    return;
  }
  window->Show();
  // A module that closed again at once has shown the launcher already.
  if (window->Visible()) Hide();
}

void frmMain::cmdIndexModule_Click() {
  OpenModule(indexWindow_, options_.indexModule, u"Index Module", cmdIndexModule);
}

void frmMain::cmdSearchModule_Click() {
  OpenModule(searchWindow_, options_.searchModule, u"Search Module", cmdSearchModule);
}

void frmMain::cmdHelp_Click() {
  if (!context_) return;
  const int top = Frame1.geometry.top + Frame1.geometry.height + kHelpNoteGap;
  context_->PopUp().PopUpInForm(*this, context_->GetProgramText(151), Frame1.geometry.width, 480,
                                kHelpNoteMs, top, Frame1.geometry.left);
  ui::OpenInBrowser(GetPlatform(), ui::ManualAddress(GetPlatform(), context_->GetProgramText(2)));
}

void frmMain::cmdQuit_Click() {
  EndProgram();
}

void frmMain::lblVantrelSystems_Click() {
  ui::OpenInBrowser(GetPlatform(), MakerAddress());
}

void frmMain::lblVS_URL_Click() {
  ui::OpenInBrowser(GetPlatform(), MakerAddress());
}

void frmMain::ModuleWindowClosed() {
  if (ended_) return;
  Show();
}

void frmMain::EndProgram() {
  if (ended_) return;
  if (Loaded()) {
    Unload();  // Form_Unload finishes
    return;
  }
  Finish(exitStatus_);
}

void frmMain::Form_Unload() {
  if (ended_) return;
  // Running walks and index runs stop at their next check.
  if (context_) context_->ModuleClosed = true;
  ended_ = true;
  for (ui::Form* window : {indexWindow_.get(), searchWindow_.get()}) {
    if (window && window->Loaded()) window->Unload();
  }
  if (context_) {
    context_->PopUp().Hide();
    context_->LargeDisplay().Hide();
  }
  Finish(exitStatus_);
}

void frmMain::Finish(int status) {
  ended_ = true;
  exitStatus_ = status;
  if (options_.endProgram) options_.endProgram(status);
}

}  // namespace quor::app
