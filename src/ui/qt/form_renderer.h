// Builds real Qt widgets from any window model and keeps the two in step:
// model state goes to the widgets after every routed event, on Refresh and on
// DoEvents; user actions on the widgets go to the model's events (Click,
// Change, KeyPress, focus, picks, toggles, the close box). A widget is never
// enabled while its control is disabled in the model, and an event from a
// control the model disabled or hid is dropped, so handlers that disable
// controls to prevent re-entry stay safe while they process events.
#pragma once

#include <memory>
#include <unordered_map>

class QObject;
class QWidget;

namespace quor::ui {
class Control;
class Form;
}  // namespace quor::ui

namespace quor::ui::qt {

class FormRenderer {
 public:
  FormRenderer();
  ~FormRenderer();
  FormRenderer(const FormRenderer&) = delete;
  FormRenderer& operator=(const FormRenderer&) = delete;

  // Builds the form's window (once) and brings it up to date without showing
  // it. Returns the top-level widget.
  QWidget& Build(Form& form);
  // Shows the form's window; a modal show runs a nested event loop until the
  // form is hidden (or the application exits).
  void Show(Form& form, bool modal);
  void Hide(Form& form);
  // Model to widgets for one form / for every form with a window.
  void Sync(Form& form);
  void SyncAll();
  // The form is going away: drop its window and everything kept for it.
  void Forget(Form& form);

  // The form's window, or null before it was built.
  QWidget* WindowOf(const Form& form) const;
  // The widget showing a control, or null.
  QWidget* WidgetOf(const Control& control) const;
  // The window that should own a message box or dialog now (the active or
  // topmost visible form window), or null.
  QWidget* DialogParent() const;

 private:
  struct ControlView;
  struct FormView;
  class EventFilter;
  class FormWindow;

  FormView& ViewFor(Form& form);
  FormView* FindView(const Form& form) const;
  void SyncStructure(FormView& view);
  void CreateWidget(FormView& view, Control& control);
  void RemoveControlView(FormView& view, Control* control);
  void SyncForm(FormView& view);
  void SyncControl(FormView& view, ControlView& cv);
  void ApplyTabOrder(FormView& view);
  void ConnectSignals(ControlView& cv);

  // Runs action on the control shown by source when the model lets the user
  // reach it, then brings every form up to date.
  template <typename Action>
  void Route(QObject* source, bool needsLive, Action action);
  bool IsReachable(const Control& control) const;
  // Events of the top-level windows.
  Form* FormOfWindow(const QWidget* window) const;  // null for a window not ours
  void WindowCloseRequested(QWidget* window);
  void WindowResized(QWidget* window);
  void WindowMoved(QWidget* window);
  void WindowStateChanged(QWidget* window);
  void WindowKey(QWidget* window, int key, bool& handled);
  bool FilterEvent(QObject* watched, void* event);
  // A wheel turn of delta (eighths of a degree) over control; true when it
  // scrolled an area (or belongs to one).
  bool WheelOverScrollingArea(Control& control, int delta);

  std::unordered_map<const Form*, std::unique_ptr<FormView>> views_;
  // Which form and control each widget (or timer) shows.
  struct Target {
    Form* form = nullptr;
    Control* control = nullptr;  // null for a form's window
  };
  std::unordered_map<const QObject*, Target> targets_;
  std::unique_ptr<EventFilter> filter_;
  // Set while the renderer itself changes widgets: their signals are not the
  // user's.
  int syncing_ = 0;
  // What the wheel turned short of a whole notch.
  int wheelDelta_ = 0;
};

}  // namespace quor::ui::qt
