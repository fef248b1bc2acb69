// The windows `quor --screenshot` can render, each shown with sample content.
// A part of the program adds its window with one entry in
// screenshot_windows.cpp.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "ui/form.h"

namespace quor::app {

// What a sample has to work with: the loaded launcher (its context holds the
// platform and the program texts) and a place to keep the windows it makes.
class ScreenshotStage {
 public:
  explicit ScreenshotStage(frmMain& launcher) : launcher(launcher) {}
  frmMain& launcher;
  ui::AppContext& Context() { return launcher.Context(); }
  // Takes the picture of form now, in the middle of what a sample does (a
  // run in progress); the picture of the window the sample returns is then
  // not taken. Set by the program that takes the pictures; without it
  // nothing is taken.
  std::function<void(ui::Form& form)> takePicture;
  void TakePicture(ui::Form& form) {
    if (!takePicture || pictureTaken_) return;
    pictureTaken_ = true;
    takePicture(form);
  }
  bool PictureTaken() const { return pictureTaken_; }
  // Keeps a window alive until the picture is taken.
  template <typename T>
  T& Keep(std::unique_ptr<T> window) {
    T& ref = *window;
    kept_.push_back(std::move(window));
    return ref;
  }

 private:
  std::vector<std::unique_ptr<ui::Form>> kept_;
  bool pictureTaken_ = false;
};

struct ScreenshotWindow {
  std::string name;  // "frmMain"
  // Shows the window filled with sample content and returns it.
  std::function<ui::Form&(ScreenshotStage& stage)> show;
};

std::vector<ScreenshotWindow> ScreenshotWindows();
std::vector<std::string> ScreenshotWindowNames();
// The window of that name, or null.
const ScreenshotWindow* FindScreenshotWindow(const std::vector<ScreenshotWindow>& windows,
                                             const std::string& name);

}  // namespace quor::app
