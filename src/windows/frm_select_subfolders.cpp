#include "windows/frm_select_subfolders.h"

#include <algorithm>
#include <initializer_list>
#include <unordered_set>

#include "common/files.h"
#include "common/strings.h"
#include "ui/platform.h"

namespace quor {

namespace {

constexpr std::u16string_view kSelectAll = u"Select all";
constexpr std::u16string_view kDeselectAll = u"Deselect all";
constexpr std::u16string_view kReadingDisk = u"Reading disk . . .";

// Layout, twips (client coordinates; list rows relative to the list area).
constexpr int kMargin = 120;
constexpr int kInstructionHeight = 450;
constexpr int kButtonHeight = 375;
constexpr int kButtonWidth = 1200;
constexpr int kSummaryHeight = 480;
constexpr int kRowHeight = 255;
constexpr int kListMargin = 60;
constexpr int kScrollBarWidth = 255;
constexpr int kBorder = 30;
// Room for the tick itself, and the width of an average character.
constexpr int kTickWidth = 330;
constexpr int kTwipsPerChar = 90;
// The row of dots behind "Reading disk . . ." starts again when it is this long.
constexpr int kMaxDots = 40;
constexpr ui::Colour kListColour = 0xFFFFFF;

}  // namespace

std::u16string ShortenInMiddle(std::u16string_view caption, int maxLength) {
  constexpr std::u16string_view kGap = u" ... ";
  const auto gap = static_cast<int>(kGap.size());
  if (static_cast<int>(caption.size()) <= maxLength || maxLength <= gap + 1) {
    return std::u16string(caption);
  }
  const int kept = maxLength - gap;
  const int tail = kept / 2;
  const int head = kept - tail;
  return std::u16string(caption.substr(0, static_cast<std::size_t>(head))) + std::u16string(kGap) +
         std::u16string(caption.substr(caption.size() - static_cast<std::size_t>(tail)));
}

// Keeps the window answering while the disk is read.
class frmSelectSubfolders::CountObserver : public FolderCountObserver {
 public:
  explicit CountObserver(ui::Platform& platform) : platform_(platform) {}
  void FolderRead() override { platform_.DoEvents(); }

 private:
  ui::Platform& platform_;
};

frmSelectSubfolders::frmSelectSubfolders(ui::Platform& platform)
    : Form(platform, "frmSelectSubfolders") {
  caption = u"Select subfolders";
  geometry = {0, 0, 8000, 6000};
  picSubfolders.wheelScrollBar = &vsbScrollBar;
  lblReadingDisk.container = &picSubfolders;
  lblReadingDisk.wordWrap = false;
  vsbScrollBar.container = &picSubfolders;
  vsbScrollBar.visible = false;
  cmdSelectDeselectAllSubfolders.caption = std::u16string(kSelectAll);
  cmdAccept.caption = u"Accept";
  cmdCancel.caption = u"Cancel";
  cmdCancel.isCancel = true;
  tmrFillList.enabled = false;
  int tab = 0;
  for (ui::Control* control : std::initializer_list<ui::Control*>{&picSubfolders, &vsbScrollBar,
                                                                  &cmdSelectDeselectAllSubfolders,
                                                                  &cmdAccept, &cmdCancel}) {
    control->tabIndex = tab++;
  }

  tmrFillList.Tick = [this] {
    tmrFillList.Stop();
    FillList();
  };
  vsbScrollBar.Change = [this] { vsbScrollBar_Change(); };
  cmdSelectDeselectAllSubfolders.Click = [this] { cmdSelectDeselectAllSubfolders_Click(); };
  cmdAccept.Click = [this] { cmdAccept_Click(); };
  cmdCancel.Click = [this] { cmdCancel_Click(); };
}

frmSelectSubfolders::~frmSelectSubfolders() = default;

void frmSelectSubfolders::PlaceOver(const ui::Form& owner, const ui::Control& button) {
  geometry.left = owner.geometry.left + button.geometry.left + 50;
  geometry.top = owner.geometry.top + button.geometry.top - 50;
  geometry.width = owner.geometry.left + owner.geometry.width - 150 - geometry.left;
  geometry.height = owner.geometry.top + owner.geometry.height - 200 - geometry.top;
}

// ---- form events ----

void frmSelectSubfolders::Form_Load() {
  Accepted = false;
  Result.clear();
  SelectedHaveSubfolders = false;
  listFilled_ = false;
  stop_.Reset();
  // The list area reads like a list, whatever the window's colour.
  for (ui::Control* control :
       std::initializer_list<ui::Control*>{&picSubfolders, &lblReadingDisk}) {
    control->backColour = kListColour;
    control->hasBackColour = true;
  }
}

void frmSelectSubfolders::Form_Activate() {
  LayoutControls();
  lblInstruction.caption = Instruction;
  if (listFilled_ || filling_) return;
  lblReadingDisk.caption = std::u16string(kReadingDisk);
  lblReadingDisk.visible = true;
  cmdSelectDeselectAllSubfolders.enabled = false;
  cmdAccept.enabled = false;
  UpdateSummary();
  tmrFillList.Start(1);
}

bool frmSelectSubfolders::Form_QueryUnload() {
  GetPlatform().MsgBox(u"Please exit this window only by clicking on 'Accept' or 'Cancel'.",
                       ui::MsgButtons::Ok, ui::MsgIcon::None, u"Select Folders");
  return true;
}

void frmSelectSubfolders::Form_Unload() {
  tmrFillList.Stop();
  chkSubfolder.clear();
}

void frmSelectSubfolders::LayoutControls() {
  const int width = ScaleWidth();
  const int height = ScaleHeight();
  const int inner = std::max(0, width - 2 * kMargin);
  const int buttonsTop = height - kMargin - kButtonHeight;
  const int summaryTop = buttonsTop - 90 - kSummaryHeight;
  const int listTop = kMargin + kInstructionHeight;
  lblInstruction.geometry = {kMargin, kMargin, inner, kInstructionHeight - 60};
  picSubfolders.geometry = {kMargin, listTop, inner,
                            std::max(kRowHeight, summaryTop - 90 - listTop)};
  const ui::Geometry& list = picSubfolders.geometry;
  lblReadingDisk.geometry = {kListMargin + 60, kListMargin + 60, list.width - 240, kRowHeight};
  vsbScrollBar.geometry = {list.width - kBorder - kScrollBarWidth, kBorder, kScrollBarWidth,
                           list.height - 2 * kBorder};
  lblNumSubfolders.geometry = {kMargin, summaryTop, inner - 2 * kButtonWidth - 240, kSummaryHeight};
  cmdSelectDeselectAllSubfolders.geometry = {kMargin, buttonsTop, 1500, kButtonHeight};
  cmdAccept.geometry = {width - kMargin - 2 * kButtonWidth - 120, buttonsTop, kButtonWidth,
                        kButtonHeight};
  cmdCancel.geometry = {width - kMargin - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight};
}

// ---- filling the list ----

void frmSelectSubfolders::FillList() {
  if (listFilled_ || filling_) return;
  filling_ = true;
  lblReadingDisk.caption = std::u16string(kReadingDisk);
  lblReadingDisk.visible = true;
  Refresh();

  TextList names;
  std::u16string error;
  if (!ListSubfolders(TopFolder, ReadFolder, names, error)) {
    filling_ = false;
    GetPlatform().MsgBox(error, ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, u"Select subfolders");
    Unload();
    return;
  }
  CountObserver observer(GetPlatform());
  subfolders_.clear();
  subfolders_.reserve(names.size());
  int dots = 0;
  for (std::u16string& name : names) {
    GetPlatform().DoEvents();
    if (stop_.StopRequested()) break;
    FolderStatistic statistic = CountFolder(TopFolder + name, ReadFolder, observer, stop_);
    subfolders_.push_back({std::move(name), statistic});
    dots = dots == kMaxDots ? 1 : dots + 1;
    lblReadingDisk.caption = std::u16string(kReadingDisk);
    for (int i = 0; i < dots; ++i) lblReadingDisk.caption += u" .";
    Refresh();
  }
  filling_ = false;
  if (stop_.StopRequested()) {
    Unload();
    return;
  }
  listFilled_ = true;
  lblReadingDisk.visible = false;
  CreateCheckBoxes();
  cmdSelectDeselectAllSubfolders.enabled = true;
  cmdAccept.enabled = true;
  UpdateSummary();
  cmdCancel.SetFocus();
  Refresh();
}

void frmSelectSubfolders::CreateCheckBoxes() {
  TextList selected;
  SplitLines(Selection, selected, 0, true);
  const std::unordered_set<std::u16string> exact(selected.begin(), selected.end());
  // An entry matches a folder of another case only when no folder has its
  // exact name (names here differ by case).
  std::unordered_set<std::u16string> listed;
  for (const ListedSubfolder& sub : subfolders_) listed.insert(sub.name);
  std::unordered_set<std::u16string> folded;
  for (const std::u16string& entry : selected) {
    if (!listed.count(entry)) folded.insert(FoldCase(entry));
  }

  const ui::Geometry& list = picSubfolders.geometry;
  const int boxWidth = list.width - 2 * kListMargin - kScrollBarWidth - kBorder;
  const int maxChars = std::max(12, (boxWidth - kTickWidth) / kTwipsPerChar);
  chkSubfolder.clear();
  chkSubfolder.reserve(subfolders_.size());
  bulkChange_ = true;
  for (std::size_t i = 0; i < subfolders_.size(); ++i) {
    const ListedSubfolder& sub = subfolders_[i];
    const int index = static_cast<int>(i);
    auto& box = AddDynamicControl<ui::CheckBox>("chkSubfolder", index);
    box.container = &picSubfolders;
    // A long name gives way in its middle; the statistic stays whole.
    const std::u16string statistic = u"   (" + StatisticText(sub.statistic) + u")";
    const int nameChars = std::max(12, maxChars - static_cast<int>(statistic.size()));
    box.caption = ShortenInMiddle(sub.name, nameChars) + statistic;
    box.toolTip = sub.name;
    box.geometry = {kListMargin, 0, boxWidth, kRowHeight - 15};
    box.backColour = kListColour;
    box.hasBackColour = true;
    box.tabIndex = picSubfolders.tabIndex;
    box.Click = [this, index] { chkSubfolder_Click(index); };
    box.GotFocus = [this, index] { chkSubfolder_GotFocus(index); };
    chkSubfolder.push_back(&box);
    if (exact.count(sub.name) || folded.count(FoldCase(sub.name))) box.SetValue(1);
  }
  bulkChange_ = false;

  const int rows = VisibleRows();
  const int count = static_cast<int>(chkSubfolder.size());
  vsbScrollBar.visible = count > rows;
  vsbScrollBar.min = 0;
  vsbScrollBar.max = std::max(0, count - rows);
  vsbScrollBar.smallChange = 1;
  vsbScrollBar.largeChange = std::max(1, rows - 1);
  vsbScrollBar.SetValue(0);
  PlaceCheckBoxes();
}

int frmSelectSubfolders::VisibleRows() const {
  return std::max(1, (picSubfolders.geometry.height - 2 * kListMargin) / kRowHeight);
}

void frmSelectSubfolders::PlaceCheckBoxes() {
  const int first = vsbScrollBar.Value();
  for (std::size_t i = 0; i < chkSubfolder.size(); ++i) {
    chkSubfolder[i]->geometry.top = kListMargin + (static_cast<int>(i) - first) * kRowHeight;
  }
}

// ---- the summary ----

void frmSelectSubfolders::UpdateSummary() {
  std::int64_t ticked = 0;
  double total = 0;
  bool over = false;
  for (std::size_t i = 0; i < chkSubfolder.size(); ++i) {
    if (chkSubfolder[i]->Value() != 1) continue;
    ++ticked;
    total += static_cast<double>(subfolders_[i].statistic.size);
    over = over || subfolders_[i].statistic.cutOff;
  }
  const auto count = static_cast<std::int64_t>(chkSubfolder.size());
  std::u16string text;
  if (ticked == 0) {
    text = u"No subfolders selected.";
  } else if (ticked == 1) {
    text = u"One subfolder selected.";
  } else if (ticked == count) {
    text = u"All " + GroupDigits(count) + u" subfolders selected.";
  } else {
    text = GroupDigits(ticked) + u" selected (of " + GroupDigits(count) + u").";
  }
  if (ticked > 0) {
    text += kCrLf;
    text += u"A total of ";
    if (over) text += u"over ";
    text += FormatTotalSize(total, 2) + u".";
  }
  lblNumSubfolders.caption = std::move(text);
}

// ---- event handlers ----

void frmSelectSubfolders::chkSubfolder_Click(int index) {
  const auto i = static_cast<std::size_t>(index);
  if (i >= chkSubfolder.size()) return;
  // Unreadable and empty folders hold nothing to index.
  if (chkSubfolder[i]->Value() == 1 && !subfolders_[i].statistic.Selectable()) {
    chkSubfolder[i]->SetValue(0);
    return;
  }
  if (!bulkChange_) UpdateSummary();
}

void frmSelectSubfolders::chkSubfolder_GotFocus(int index) {
  const int rows = VisibleRows();
  const int first = vsbScrollBar.Value();
  if (index < first) {
    vsbScrollBar.SetValue(index);
  } else if (index >= first + rows) {
    vsbScrollBar.SetValue(index - rows + 1);
  }
}

void frmSelectSubfolders::vsbScrollBar_Change() {
  PlaceCheckBoxes();
}

void frmSelectSubfolders::cmdSelectDeselectAllSubfolders_Click() {
  const bool select = cmdSelectDeselectAllSubfolders.caption == kSelectAll;
  bulkChange_ = true;
  for (std::size_t i = 0; i < chkSubfolder.size(); ++i) {
    const bool tick = select && subfolders_[i].statistic.Selectable();
    chkSubfolder[i]->SetValue(tick ? 1 : 0);
  }
  bulkChange_ = false;
  cmdSelectDeselectAllSubfolders.caption = std::u16string(select ? kDeselectAll : kSelectAll);
  UpdateSummary();
}

void frmSelectSubfolders::cmdAccept_Click() {
  TextList names;
  SelectedHaveSubfolders = false;
  for (std::size_t i = 0; i < chkSubfolder.size(); ++i) {
    if (chkSubfolder[i]->Value() != 1) continue;
    const ListedSubfolder& sub = subfolders_[i];
    // Gone since the list was read: nothing to include.
    if (!FolderExists(TopFolder + sub.name)) continue;
    names.push_back(sub.name);
    SelectedHaveSubfolders = SelectedHaveSubfolders || sub.statistic.subfolders > 0;
  }
  Result = JoinLines(names);
  Accepted = true;
  Unload();
}

void frmSelectSubfolders::cmdCancel_Click() {
  // While the disk is read, the reading ends first and closes the window.
  if (filling_) {
    stop_.RequestStop();
    return;
  }
  Unload();
}

}  // namespace quor
