#include "windows/frm_filepath_exclusions.h"

#include <algorithm>

#include "common/paths.h"
#include "ui/platform.h"

namespace quor {

namespace {

constexpr int kMargin = 120;
constexpr int kLabelHeight = 480;
constexpr int kButtonHeight = 375;
constexpr int kButtonWidth = 1200;

}  // namespace

TextList FragmentLines(std::u16string_view text) {
  TextList lines;
  SplitLines(text, lines, 0, true);
  if (lines.empty()) return lines;
  SortStrings(lines, 0, static_cast<int>(lines.size()) - 1, true);
  TextList unique;
  for (std::u16string& line : lines) {
    if (std::find(unique.begin(), unique.end(), line) == unique.end()) {
      unique.push_back(std::move(line));
    }
  }
  return unique;
}

frmFilepathExclusions::frmFilepathExclusions(ui::Platform& platform)
    : Form(platform, "frmFilepathExclusions") {
  caption = u"Filepath exclusions";
  geometry = {0, 0, 6000, 4500};
  txbFilepathExclusions.multiLine = true;
  txbFilepathExclusions.verticalScrollBar = true;
  cmdConfirm.caption = u"Confirm";
  cmdCancel.caption = u"Cancel";
  cmdCancel.isCancel = true;
  txbFilepathExclusions.tabIndex = 0;
  cmdConfirm.tabIndex = 1;
  cmdCancel.tabIndex = 2;
  cmdConfirm.Click = [this] { cmdConfirm_Click(); };
  cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmFilepathExclusions::PlaceOver(const ui::Form& owner, const ui::Control& fragmentsBox) {
  constexpr int kInside = 160;
  geometry.left = owner.geometry.left + kInside;
  geometry.top = owner.geometry.top + fragmentsBox.geometry.top + 480;
  geometry.width = owner.geometry.width - 2 * kInside;
  geometry.height = owner.geometry.top + owner.geometry.height - kInside - geometry.top;
  SetFormColour(owner.backColour);
}

void frmFilepathExclusions::Form_Load() {
  lblExcludeFilepathsContaining.caption =
      std::u16string(u"Files whose filepaths contain any of the following ") +
      u"characters strings are currently excluded. " +
      u"Strings may be added (one per line) or deleted.";
}

void frmFilepathExclusions::Form_Activate() {
  Confirmed = false;
  Result.clear();
  LayoutControls();
  Fragments.clear();
  const std::u16string text = Trim(FragmentsText);
  if (!text.empty()) SplitList(text, u",", Fragments, true);
  if (!Fragments.empty()) SortStrings(Fragments, 0, static_cast<int>(Fragments.size()) - 1, true);
  const std::u16string lines = JoinLines(Fragments);
  txbFilepathExclusions.SetText(lines);
  txbFilepathExclusions.SetSelection(static_cast<int>(lines.size()), 0);
  txbFilepathExclusions.SetFocus();
}

void frmFilepathExclusions::LayoutControls() {
  const int width = ScaleWidth();
  const int height = ScaleHeight();
  const int inner = std::max(0, width - 2 * kMargin);
  const int buttonsTop = height - kMargin - kButtonHeight;
  const int boxTop = kMargin + kLabelHeight + 60;
  lblExcludeFilepathsContaining.geometry = {kMargin, kMargin, inner, kLabelHeight};
  txbFilepathExclusions.geometry = {kMargin, boxTop, inner,
                                    std::max(600, buttonsTop - 120 - boxTop)};
  cmdConfirm.geometry = {width - kMargin - 2 * kButtonWidth - 120, buttonsTop, kButtonWidth,
                         kButtonHeight};
  cmdCancel.geometry = {width - kMargin - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight};
}

void frmFilepathExclusions::cmdConfirm_Click() {
  // Typed with the other system's habit: the separator here is the slash.
  std::u16string text = txbFilepathExclusions.Text();
  std::replace(text.begin(), text.end(), u'\\', kPathSeparator);
  txbFilepathExclusions.SetText(text);
  Fragments = FragmentLines(text);
  Result.clear();
  for (const std::u16string& fragment : Fragments) {
    if (!Result.empty()) Result += u", ";
    Result += fragment;
  }
  Confirmed = true;
  Unload();
}

void frmFilepathExclusions::cmdCancel_Click() {
  Unload();
}

}  // namespace quor
