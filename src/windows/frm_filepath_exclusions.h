// "Filepath exclusions": the modal editor of the Index Module's file-path
// fragments, one fragment per line. Confirm hands back the fragments sorted,
// without duplicates, joined by ", "; Cancel leaves them as they were.
#pragma once

#include <string>

#include "common/strings.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace quor {

class frmFilepathExclusions : public ui::Form {
 public:
  explicit frmFilepathExclusions(ui::Platform& platform);

  // ---- handed in before Show ----
  // The comma-separated fragments as the Index Module's box holds them.
  std::u16string FragmentsText;
  // Places the window 480 twips below the top of the owner's fragments box
  // and sizes it to end 160 twips inside the owner on the other three sides;
  // the window takes the owner's colour.
  void PlaceOver(const ui::Form& owner, const ui::Control& fragmentsBox);

  // ---- handed back ----
  bool Confirmed = false;
  // The fragments after Confirm, joined by ", ".
  std::u16string Result;

  // ---- controls ----
  ui::Label lblExcludeFilepathsContaining{*this, "lblExcludeFilepathsContaining"};
  ui::TextBox txbFilepathExclusions{*this, "txbFilepathExclusions"};
  ui::CommandButton cmdConfirm{*this, "cmdConfirm"};
  ui::CommandButton cmdCancel{*this, "cmdCancel"};

  // The working list of fragments.
  TextList Fragments;

  // ---- form events ----
  void Form_Load() override;
  void Form_Activate() override;

  // ---- event handlers ----
  void cmdConfirm_Click();
  void cmdCancel_Click();

 private:
  void LayoutControls();
};

// The fragments of the editor's text: lines trimmed, blank ones skipped, the
// rest sorted by folded text without duplicates.
TextList FragmentLines(std::u16string_view text);

}  // namespace quor
