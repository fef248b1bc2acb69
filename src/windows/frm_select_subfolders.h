// "Select subfolders": the modal window of "Include subfolders". It lists every
// direct subfolder of the top folder with a check box and a short statistic
// (files, subfolders, size), keeps a running count of the ticked ones with
// their total size, and hands the ticked names back to the Index Module.
#pragma once

#include <string>
#include <vector>

#include "common/messages.h"
#include "selection/subfolder_stats.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace quor {

class frmSelectSubfolders : public ui::Form {
 public:
  explicit frmSelectSubfolders(ui::Platform& platform);
  ~frmSelectSubfolders() override;

  // ---- handed in before Show ----
  // The top folder, ending with the separator.
  std::u16string TopFolder;
  // The instruction shown above the list.
  std::u16string Instruction;
  // The subfolders included so far, joined by CR LF (may be empty).
  std::u16string Selection;
  // Places the window 50 twips above and 50 twips right of the button's
  // top-left corner and sizes it to end 150 twips inside the owner's right
  // edge and 200 twips above its bottom.
  void PlaceOver(const ui::Form& owner, const ui::Control& button);

  // ---- handed back ----
  bool Accepted = false;
  // The ticked subfolder names in list order, joined by CR LF.
  std::u16string Result;
  // Some ticked subfolder has subfolders of its own.
  bool SelectedHaveSubfolders = false;

  // ---- controls ----
  ui::Label lblInstruction{*this, "lblInstruction"};
  ui::PictureBox picSubfolders{*this, "picSubfolders"};
  ui::Label lblReadingDisk{*this, "lblReadingDisk"};
  ui::VScrollBar vsbScrollBar{*this, "vsbScrollBar"};
  ui::Label lblNumSubfolders{*this, "lblNumSubfolders"};
  ui::CommandButton cmdSelectDeselectAllSubfolders{*this, "cmdSelectDeselectAllSubfolders"};
  ui::CommandButton cmdAccept{*this, "cmdAccept"};
  ui::CommandButton cmdCancel{*this, "cmdCancel"};
  // Fills the list once the window is on the screen.
  ui::Timer tmrFillList{*this, "tmrFillList"};
  // One check box per listed subfolder, created by FillList.
  std::vector<ui::CheckBox*> chkSubfolder;

  // Per listed subfolder, parallel to chkSubfolder.
  struct ListedSubfolder {
    std::u16string name;
    FolderStatistic statistic;
  };
  const std::vector<ListedSubfolder>& Subfolders() const { return subfolders_; }

  // ---- form events ----
  void Form_Load() override;
  void Form_Activate() override;
  bool Form_QueryUnload() override;
  void Form_Unload() override;

  // Reads the disk and builds the list (the first activation runs it once the
  // window shows). The window closes when the top folder cannot be read.
  void FillList();
  // "3 selected (of 12)." and, with a tick, "A total of 1.20 Mb.".
  void UpdateSummary();

  // ---- event handlers ----
  void chkSubfolder_Click(int index);
  void chkSubfolder_GotFocus(int index);
  void vsbScrollBar_Change();
  void cmdSelectDeselectAllSubfolders_Click();
  void cmdAccept_Click();
  void cmdCancel_Click();

 private:
  class CountObserver;
  void LayoutControls();
  void CreateCheckBoxes();
  void PlaceCheckBoxes();
  int VisibleRows() const;

  std::vector<ListedSubfolder> subfolders_;
  bool listFilled_ = false;
  bool filling_ = false;
  // Select all and Deselect all tick many boxes: the summary follows once.
  bool bulkChange_ = false;
  // Cancel while the disk is read ends the reading first.
  StopToken stop_;
};

// The caption with its middle replaced by " ... " when it is longer than
// maxLength characters (head and tail kept, the head one longer).
std::u16string ShortenInMiddle(std::u16string_view caption, int maxLength);

}  // namespace quor
