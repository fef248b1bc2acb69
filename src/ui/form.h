// The form base of the window model: caption, visibility, modality, geometry in
// twips, font, colour, the focus, and the list of controls (design-time ones
// and those created at run time). Windows derive from it and hold their
// controls as members.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace quor::ui {

class Platform;

enum class WindowState { Normal, Minimized, Maximized };

// The window frame around the client area, in twips: geometry counts the
// whole window, controls sit in the client area (ScaleWidth x ScaleHeight).
inline constexpr int kFrameWidthTwips = 120;   // both side borders
inline constexpr int kFrameHeightTwips = 570;  // title bar and bottom border

class Form {
 public:
  Form(Platform& platform, std::string name);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return name_; }
  Platform& GetPlatform() const { return platform_; }

  std::u16string caption;
  Geometry geometry;  // outer position and size, twips
  Font font;
  Colour backColour = kDefaultBackColour;
  WindowState windowState = WindowState::Normal;
  bool borderless = false;  // pop-up windows
  bool resizable = false;
  // The window that owns this one (stays above it).
  Form* ownerForm = nullptr;
  // False for windows that appear without taking the focus (pop-ups).
  bool activateOnShow = true;

  // The client area in twips (the geometry less the frame; none when
  // borderless).
  int ScaleWidth() const;
  int ScaleHeight() const;

  bool Visible() const { return visible_; }
  bool Modal() const { return modal_; }
  bool Loaded() const { return loaded_; }

  // Loads the form on first use (Form_Load) and shows it; modal shows return
  // when the form is hidden. Form_Activate runs when a hidden form becomes
  // visible, before the platform puts it on the screen.
  void Show(bool modal = false);
  void Hide();
  // Runs Form_Unload, hides the form and removes its dynamic controls; a
  // later Show loads it again.
  void Unload();
  // Makes sure the form is loaded without showing it.
  void Load();
  // Pushes the model's state to the screen now (long operations call this
  // where the classic code repaints). Nothing happens while hidden.
  void Refresh();

  // The user closes the window with its close box: Form_QueryUnload may
  // cancel; otherwise the form unloads. Returns true when it was unloaded.
  bool CloseByUser();

  // Every control of the form in creation order, static and dynamic.
  const std::vector<Control*>& Controls() const { return controls_; }
  // The control named "txbOutput" or, in an array, "cmdListFiles(1)"; null
  // when there is none.
  Control* FindControl(const std::string& qualifiedName) const;

  Control* ActiveControl() const { return activeControl_; }
  // Moves the focus: LostFocus on the old control, then GotFocus on the new.
  void SetActiveControl(Control* control);

  // Creates a control at run time (e.g. one check box per subfolder); the form
  // owns it until RemoveDynamicControls.
  template <typename T>
  T& AddDynamicControl(std::string name, int index) {
    auto control = std::make_unique<T>(*this, std::move(name), index);
    T& ref = *control;
    dynamic_.push_back(std::move(control));
    return ref;
  }
  void RemoveDynamicControls();

  // Events.
  virtual void Form_Load() {}
  virtual void Form_Activate() {}
  virtual void Form_Resize() {}
  // Return true to cancel a close by the user.
  virtual bool Form_QueryUnload() { return false; }
  virtual void Form_Unload() {}

  // Sets the background of the form and of its check boxes, labels, frames and
  // option buttons.
  void SetFormColour(Colour colour);
  // Centres the form on the screen (never above or left of its top-left).
  void CentreOnScreen();

  // Called by Control's constructor and destructor.
  void Register(Control* control);
  void Unregister(Control* control);
  // A structural change (controls added or removed) the renderer must pick up.
  int StructureVersion() const { return structureVersion_; }

 private:
  Platform& platform_;
  std::string name_;
  std::vector<Control*> controls_;
  std::vector<std::unique_ptr<Control>> dynamic_;
  Control* activeControl_ = nullptr;
  bool visible_ = false;
  bool modal_ = false;
  bool loaded_ = false;
  int structureVersion_ = 0;
};

}  // namespace quor::ui
