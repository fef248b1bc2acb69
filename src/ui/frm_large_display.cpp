#include "ui/frm_large_display.h"

#include <algorithm>

#include "ui/app_context.h"
#include "ui/platform.h"

namespace quor::ui {

namespace {

constexpr std::u16string_view kCrLf = u"\r\n";
constexpr std::u16string_view kPauseCaption = u"Pause";
constexpr std::u16string_view kContinueCaption = u"Continue";
constexpr std::u16string_view kStopCaption = u"Stop";
constexpr std::u16string_view kCloseCaption = u"Close";
// Used when the program texts lack the copy captions.
constexpr std::u16string_view kCopyAllCaption = u"Copy to clipboard";
constexpr std::u16string_view kCopySelectionCaption = u"Copy selected text to clipboard";

constexpr int kTextPauseCaption = 428;
constexpr int kTextContinueCaption = 429;
constexpr int kTextCopySelection = 424;
constexpr int kTextCopyAll = 185;

// Layout, twips.
constexpr int kMargin = 120;
constexpr int kButtonHeight = 375;
constexpr int kCloseWidth = 1200;
constexpr int kPauseButtonWidth = 2000;
constexpr int kCopySelectionWidth = 3500;
constexpr int kCopyAllWidth = 2500;
constexpr int kMinTextHeight = 600;
// Room a text box takes beside its text: its vertical scroll bar and borders.
constexpr int kTextBoxChrome = 400;
// Average character width as a share of the font size (a fixed-pitch font's
// advance is 0.6 em; proportional fonts are narrower on average).
constexpr double kCharWidthPerPoint = 0.6 * 20.0;

// The folder part of a relative path: the text before the last separator.
std::u16string_view FolderOf(std::u16string_view path) {
  const auto last = path.find_last_of(u"/\\");
  if (last == std::u16string_view::npos) return {};
  return path.substr(0, last);
}

// The longest line of text, in characters.
std::size_t LongestLine(std::u16string_view text) {
  std::size_t longest = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) end = text.size();
    longest = std::max(longest, end - start);
    start = end + 1;
  }
  return longest;
}

bool IsHighSurrogate(char16_t ch) {
  return ch >= 0xD800 && ch <= 0xDBFF;
}

}  // namespace

frmLargeDisplay::frmLargeDisplay(AppContext& app)
    : Form(app.platform, "frmLargeDisplay"), app_(app) {
  resizable = true;
  geometry = {0, 0, 9600, 7200};
  font = Font{};

  txbOutput.multiLine = true;
  txbOutput.readOnly = true;
  txbOutput.verticalScrollBar = true;
  txbOutput.font = Font{u"Courier New", 10, false};
  txbOutput.tabIndex = 0;
  txbOutput.KeyPress = [this](char16_t& ch) { txbOutput_KeyPress(ch); };
  txbOutput.SelChange = [this] { txbOutput_SelChange(); };

  cmdCopyToClipboard.caption = std::u16string(kCopyAllCaption);
  cmdCopyToClipboard.toolTip = u"Copy selected text to clipboard";
  cmdCopyToClipboard.tabIndex = 1;
  cmdCopyToClipboard.Click = [this] { cmdCopyToClipboard_Click(); };

  cmdClose.caption = std::u16string(kCloseCaption);
  cmdClose.tabIndex = 2;
  cmdClose.isCancel = true;
  cmdClose.Click = [this] { cmdClose_Click(); };

  SetFormColour(app_.WindowColour);
  CentreOnScreen();
  LayoutControls();
}

// ---- layout ----

void frmLargeDisplay::LayoutControls() {
  const int width = ScaleWidth();
  const int height = ScaleHeight();
  const int buttonTop =
      std::max(kMargin + kMinTextHeight + kMargin, height - kMargin - kButtonHeight);

  txbOutput.geometry = {kMargin, kMargin, std::max(kMargin, width - 2 * kMargin),
                        buttonTop - 2 * kMargin};
  // The Close button keeps the right-hand corner; in a narrow window the copy
  // button gives way rather than slide under it.
  const int closeLeft = std::max(kMargin, width - kMargin - kCloseWidth);
  cmdClose.geometry = {closeLeft, buttonTop, kCloseWidth, kButtonHeight};
  const int copyWidth = std::max(0, std::min(copyButtonWidth_, closeLeft - 2 * kMargin));
  cmdCopyToClipboard.geometry = {kMargin, buttonTop, copyWidth, kButtonHeight};
}

void frmLargeDisplay::Form_Resize() {
  if (windowState == WindowState::Minimized) return;
  LayoutControls();
}

bool frmLargeDisplay::WidenDisplayIfNeeded(std::u16string_view text, int charCount,
                                           double screenFraction) {
  std::size_t chars = LongestLine(text);
  if (charCount > 0) chars = std::min(chars, static_cast<std::size_t>(charCount));
  const double charWidth = txbOutput.font.size * kCharWidthPerPoint;
  const int needed = static_cast<int>(static_cast<double>(chars) * charWidth) + kTextBoxChrome +
                     2 * kMargin + (borderless ? 0 : kFrameWidthTwips);
  const int screenWidth = GetPlatform().ScreenWidth();
  const double fraction = std::clamp(screenFraction, 0.0, 1.0);
  const int widest = static_cast<int>(fraction * screenWidth);
  const int target = std::min(needed, widest);
  if (target <= geometry.width) return false;

  geometry.width = target;
  // Keep the widened window on the screen.
  if (geometry.left + geometry.width > screenWidth) {
    geometry.left = std::max(0, screenWidth - geometry.width);
  }
  LayoutControls();
  Refresh();
  return true;
}

// ---- the copy button ----

bool frmLargeDisplay::IsPauseCaption(const std::u16string& caption) const {
  if (caption == kPauseCaption) return true;
  const std::u16string text = app_.GetProgramText(kTextPauseCaption);
  return !text.empty() && caption == text;
}

bool frmLargeDisplay::IsContinueCaption(const std::u16string& caption) const {
  if (caption == kContinueCaption) return true;
  const std::u16string text = app_.GetProgramText(kTextContinueCaption);
  return !text.empty() && caption == text;
}

void frmLargeDisplay::SetCopyToClipboardButton() {
  UpdateCopyButton(true);
}

void frmLargeDisplay::UpdateCopyButton(bool moveFocus) {
  const std::u16string& caption = cmdCopyToClipboard.caption;
  if (IsPauseCaption(caption) || IsContinueCaption(caption)) {
    copyButtonWidth_ = kPauseButtonWidth;
  } else {
    const bool selection = txbOutput.selLength > 0;
    std::u16string text = app_.GetProgramText(selection ? kTextCopySelection : kTextCopyAll);
    if (text.empty()) text = selection ? kCopySelectionCaption : kCopyAllCaption;
    cmdCopyToClipboard.caption = std::move(text);
    copyButtonWidth_ = selection ? kCopySelectionWidth : kCopyAllWidth;
    if (moveFocus && Visible()) cmdClose.SetFocus();
  }
  LayoutControls();
}

void frmLargeDisplay::CopySelectionOrAll() {
  Platform& platform = GetPlatform();
  platform.ClearClipboard();
  platform.SetClipboardText(txbOutput.selLength > 0 ? txbOutput.SelectedText() : txbOutput.Text());
  txbOutput.selLength = 0;
}

void frmLargeDisplay::EndPause() {
  Paused = false;
  const std::u16string& caption = cmdCopyToClipboard.caption;
  if (!IsContinueCaption(caption)) return;
  const std::u16string pauseText = app_.GetProgramText(kTextPauseCaption);
  const std::u16string continueText = app_.GetProgramText(kTextContinueCaption);
  const bool programWording =
      !continueText.empty() && caption == continueText && !pauseText.empty();
  cmdCopyToClipboard.caption = programWording ? pauseText : std::u16string(kPauseCaption);
}

void frmLargeDisplay::cmdCopyToClipboard_Click() {
  const std::u16string caption = cmdCopyToClipboard.caption;
  if (IsPauseCaption(caption)) {
    const std::u16string pauseText = app_.GetProgramText(kTextPauseCaption);
    const std::u16string continueText = app_.GetProgramText(kTextContinueCaption);
    const bool programWording = !pauseText.empty() && caption == pauseText && !continueText.empty();
    cmdCopyToClipboard.caption = programWording ? continueText : std::u16string(kContinueCaption);
    Paused = true;
    UpdateCopyButton(false);
    Refresh();
    // The feeding operation sits in its own DoEvents below this handler; it
    // goes on once Continue is pressed or the window is gone.
    while (Paused && Visible()) GetPlatform().WaitForEvents(50);
    if (!Visible()) {
      // Nobody is left to press Continue: the wait is over for good.
      EndPause();
      return;
    }
    SetCopyToClipboardButton();
    return;
  }
  if (IsContinueCaption(caption)) {
    EndPause();
    SetCopyToClipboardButton();
    Refresh();
    return;
  }
  CopySelectionOrAll();
  SetCopyToClipboardButton();
  Refresh();
}

void frmLargeDisplay::txbOutput_KeyPress(char16_t& keyAscii) {
  if (keyAscii != u'\r' || txbOutput.selLength <= 0) return;
  CopySelectionOrAll();
  SetCopyToClipboardButton();
  keyAscii = 0;
}

void frmLargeDisplay::txbOutput_SelChange() {
  UpdateCopyButton(false);
}

// ---- closing and activation ----

void frmLargeDisplay::cmdClose_Click() {
  if (cmdClose.caption == kStopCaption) {
    // The feeding operation watches for this caption and ends itself.
    cmdClose.caption = std::u16string(kCloseCaption);
    Refresh();
    return;
  }
  windowState = WindowState::Normal;
  if (Paused) EndPause();
  Hide();
}

bool frmLargeDisplay::Form_QueryUnload() {
  // The close box does what the Close button does; the window stays loaded.
  cmdClose_Click();
  return true;
}

void frmLargeDisplay::Form_Activate() {
  if (windowState != WindowState::Normal) windowState = WindowState::Normal;
  SetCopyToClipboardButton();
  Activated = true;
}

// ---- the text ----

void frmLargeDisplay::CaretToEnd() {
  txbOutput.selStart = static_cast<int>(txbOutput.Text().size());
  txbOutput.selLength = 0;
}

void frmLargeDisplay::ShowBeginning() {
  txbOutput.selStart = 0;
  txbOutput.selLength = 0;
  Refresh();
}

void frmLargeDisplay::ShowEnd() {
  CaretToEnd();
  Refresh();
}

void frmLargeDisplay::Clear() {
  txbOutput.selStart = 0;
  txbOutput.selLength = 0;
  txbOutput.SetText(u"");
  bufferFull_ = false;
  fullMessageShown_ = false;
  Refresh();
}

void frmLargeDisplay::Output(std::u16string_view text, int lineBreaks, bool scrollToEnd) {
  const std::size_t length = txbOutput.Text().size();
  if (length == 0) {
    bufferFull_ = false;
    fullMessageShown_ = false;
  } else if (!bufferFull_ && length > static_cast<std::size_t>(kCapacity)) {
    bufferFull_ = true;
  }

  if (!bufferFull_) {
    std::u16string next;
    next.reserve(length + text.size() + 2 * static_cast<std::size_t>(std::max(lineBreaks, 0)));
    next = txbOutput.Text();
    next += text;
    for (int i = 0; i < lineBreaks; ++i) next += kCrLf;
    txbOutput.SetText(std::move(next));
    if (scrollToEnd) {
      CaretToEnd();
      Refresh();
    }
    return;
  }
  if (fullMessageShown_) return;

  std::size_t keep = length - static_cast<std::size_t>(kNoticeRoom);
  // Never split a surrogate pair.
  if (keep > 0 && IsHighSurrogate(txbOutput.Text()[keep - 1])) --keep;
  std::u16string next = txbOutput.Text().substr(0, keep);
  next += u" ...";
  next += kCrLf;
  next += kCrLf;
  next += BufferFullMessage;
  next += u"  ";
  next += ContinuationMessage;
  next += kCrLf;
  txbOutput.SetText(std::move(next));
  CaretToEnd();
  fullMessageShown_ = true;
  cmdCopyToClipboard.enabled = true;
  Refresh();
}

void frmLargeDisplay::DisplayArray(const std::vector<std::u16string>& list, int first, int last,
                                   std::u16string_view closingText, bool groupByFolder) {
  first = std::max(first, 0);
  last = std::min(last, static_cast<int>(list.size()) - 1);

  std::u16string built;
  bool everyEntryShown = true;
  std::u16string_view previousFolder;
  for (int i = first; i <= last; ++i) {
    const std::u16string& entry = list[static_cast<std::size_t>(i)];
    const std::u16string_view folder = FolderOf(entry);
    const bool blankLine = groupByFolder && i > first && folder != previousFolder;
    const std::size_t pieceLength = (blankLine ? 2 : 0) + entry.size() + 2;
    if (built.size() + pieceLength > static_cast<std::size_t>(kCapacity)) {
      built += kCrLf;
      built += BufferFullMessage;
      everyEntryShown = false;
      break;
    }
    if (blankLine) built += kCrLf;
    built += entry;
    built += kCrLf;
    previousFolder = folder;
  }
  Output(built, 0, true);

  if (closingText.empty() || !everyEntryShown) return;
  std::u16string closing(kCrLf);
  closing += closingText;
  closing += kCrLf;
  Output(closing, 0, true);
}

}  // namespace quor::ui
