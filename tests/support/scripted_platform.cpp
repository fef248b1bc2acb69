#include "scripted_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "common/encoding.h"
#include "common/paths.h"
#include "ui/form.h"

namespace quor::test {

namespace fs = std::filesystem;

namespace {

// Noon on a fixed day, local time: runs are neither near midnight nor near a
// daylight-saving change.
std::chrono::system_clock::time_point FixedNoon() {
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 2;  // March
  local.tm_mday = 14;
  local.tm_hour = 12;
  local.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

std::u16string MakeFolder(const std::u16string& root, const char* name) {
  fs::path path = fs::path(TextToUtf8(root)) / name;
  fs::create_directories(path);
  return Utf8ToText(path.lexically_normal().string());
}

// The buttons a box offers, in order.
std::vector<ui::MsgResult> ButtonsOf(ui::MsgButtons buttons) {
  using ui::MsgResult;
  switch (buttons) {
    case ui::MsgButtons::Ok:
      return {MsgResult::Ok};
    case ui::MsgButtons::OkCancel:
      return {MsgResult::Ok, MsgResult::Cancel};
    case ui::MsgButtons::AbortRetryIgnore:
      return {MsgResult::Abort, MsgResult::Retry, MsgResult::Ignore};
    case ui::MsgButtons::YesNoCancel:
      return {MsgResult::Yes, MsgResult::No, MsgResult::Cancel};
    case ui::MsgButtons::YesNo:
      return {MsgResult::Yes, MsgResult::No};
    case ui::MsgButtons::RetryCancel:
      return {MsgResult::Retry, MsgResult::Cancel};
  }
  return {MsgResult::Ok};
}

}  // namespace

ScriptedPlatform::ScriptedPlatform(std::u16string root)
    : appDataFolder(MakeFolder(root, "appdata")),
      programFolder(MakeFolder(root, "program")),
      tempFolder(MakeFolder(root, "temp")),
      now(FixedNoon()) {
  const fs::path data(QUOR_DATA_DIR);
  for (const char* name : {"quor.dat", "cwds.txt", "manual.html"}) {
    std::error_code ec;
    fs::copy_file(data / name, fs::path(TextToUtf8(programFolder)) / name,
                  fs::copy_options::overwrite_existing, ec);
  }
}

std::vector<std::u16string> ScriptedPlatform::MessageTexts() const {
  std::vector<std::u16string> texts;
  texts.reserve(messages.size());
  for (const ShownMessage& shown : messages) texts.push_back(shown.request.text);
  return texts;
}

ui::MsgResult ScriptedPlatform::MessageBox(const ui::MessageBoxRequest& request) {
  if (onMessage) onMessage(request);
  const std::vector<ui::MsgResult> offered = ButtonsOf(request.buttons);
  ui::MsgResult answer;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
    if (std::find(offered.begin(), offered.end(), answer) == offered.end()) {
      ADD_FAILURE() << "scripted answer " << static_cast<int>(answer)
                    << " is not a button of the box \"" << TextToUtf8(request.text) << "\"";
    }
  } else {
    const int index = std::clamp(request.defaultButton, 1, static_cast<int>(offered.size()));
    answer = offered[static_cast<std::size_t>(index - 1)];
  }
  messages.push_back({request, answer});
  return answer;
}

std::vector<std::u16string> ScriptedPlatform::ShowOpenDialog(const ui::FileDialogRequest& request) {
  fileDialogs.push_back(request);
  if (openAnswers.empty()) return {};
  std::vector<std::u16string> answer = std::move(openAnswers.front());
  openAnswers.pop_front();
  return answer;
}

std::u16string ScriptedPlatform::ShowSaveDialog(const ui::FileDialogRequest& request) {
  fileDialogs.push_back(request);
  if (saveAnswers.empty()) return {};
  std::u16string answer = std::move(saveAnswers.front());
  saveAnswers.pop_front();
  return answer;
}

std::u16string ScriptedPlatform::BrowseForFolder(const ui::Form*, const std::u16string& prompt,
                                                 const std::u16string& startFolder) {
  folderPrompts.push_back(prompt);
  folderStarts.push_back(startFolder);
  if (folderAnswers.empty()) return {};
  std::u16string answer = std::move(folderAnswers.front());
  folderAnswers.pop_front();
  return answer;
}

void ScriptedPlatform::AtDoEvents(int n, std::function<void()> action) {
  const int target = doEventsCalls + std::max(n, 1);
  scheduled_.push_back({[this, target] { return doEventsCalls >= target; }, std::move(action)});
}

void ScriptedPlatform::WhenDoEvents(std::function<bool()> condition, std::function<void()> action) {
  scheduled_.push_back({std::move(condition), std::move(action)});
}

void ScriptedPlatform::DoEvents() {
  ++doEventsCalls;
  if (doEventsCalls > doEventsLimit) {
    ADD_FAILURE() << "DoEvents was called " << doEventsCalls
                  << " times: a wait loop that nothing ends";
    throw std::runtime_error("DoEvents limit passed");
  }
  // An action may itself call DoEvents (pressing Pause waits in a loop), so
  // each one is taken off the list before it runs and the list is searched
  // afresh afterwards.
  for (;;) {
    auto due = std::find_if(scheduled_.begin(), scheduled_.end(),
                            [](const Scheduled& s) { return s.condition(); });
    if (due == scheduled_.end()) return;
    std::function<void()> action = std::move(due->action);
    scheduled_.erase(due);
    action();
  }
}

void ScriptedPlatform::ShowForm(ui::Form& form, bool modal) {
  formEvents.push_back("+" + form.Name());
  if (!modal) return;
  ++modalDepth;
  if (onModalShow) {
    onModalShow(form);
  } else {
    form.Hide();
  }
  --modalDepth;
  if (form.Visible()) {
    ADD_FAILURE() << "the scripted user left the modal form " << form.Name() << " open";
    form.Hide();
  }
}

void ScriptedPlatform::HideForm(ui::Form& form) {
  formEvents.push_back("-" + form.Name());
}

void ScriptedPlatform::Refresh(ui::Form&) {
  ++refreshCalls;
}

int ScriptedPlatform::OpenInBrowser(const std::u16string& address) {
  openedAddresses.push_back(address);
  return openResult;
}

std::optional<std::int64_t> ScriptedPlatform::DiskFreeSpace(const std::u16string&) const {
  if (diskFree) return diskFree;
  return std::int64_t{1} << 40;
}

bool ScriptedPlatform::IsReadOnlyFileSystem(const std::u16string& path) const {
  return std::any_of(readOnlyFolders.begin(), readOnlyFolders.end(),
                     [&](const std::u16string& folder) { return IsPathUnder(path, folder); });
}

}  // namespace quor::test
