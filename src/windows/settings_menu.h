// The "Settings -->" commands both module windows offer: save for the next
// run (the default settings file), save to a file, both, or load from a file.
#pragma once

#include <string>
#include <string_view>

namespace quor {

inline constexpr std::u16string_view kSettingsItems[] = {u"Save for next run", u"Save to file",
                                                         u"Save in both ways", u"Load from file"};
enum SettingsItem { kSaveForNextRun, kSaveToFile, kSaveInBothWays, kLoadFromFile };

// Runs the command at listIndex on a window that has SaveSettings(path,
// showMessage) and LoadSettings(path), where an empty path asks the user for
// one with a file dialog. Saving in both ways tells the user only once.
template <class Window>
void RunSettingsCommand(Window& window, int listIndex, const std::u16string& defaultPath) {
  switch (listIndex) {
    case kSaveForNextRun:
      window.SaveSettings(defaultPath, true);
      break;
    case kSaveToFile:
      window.SaveSettings(u"", true);
      break;
    case kSaveInBothWays:
      window.SaveSettings(defaultPath, false);
      window.SaveSettings(u"", true);
      break;
    case kLoadFromFile:
      window.LoadSettings(u"");
      break;
    default:
      break;
  }
}

}  // namespace quor
