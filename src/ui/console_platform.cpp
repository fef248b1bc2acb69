#include "ui/console_platform.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <ostream>

#include "common/encoding.h"
#include "ui/form.h"
#include "ui/system_services.h"

namespace quor::ui {

namespace {

// Set by the signal handler; a signal handler can reach nothing else.
std::atomic<bool> interruptSeen{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
  interruptSeen.store(true);
}

// Text for the terminal: CR LF and lone CRs become line feeds.
std::string ForTerminal(const std::u16string& text) {
  return TerminalText(text);
}

const char* AnswerName(MsgResult answer) {
  switch (answer) {
    case MsgResult::Ok:
      return "OK";
    case MsgResult::Cancel:
      return "Cancel";
    case MsgResult::Abort:
      return "Abort";
    case MsgResult::Retry:
      return "Retry";
    case MsgResult::Ignore:
      return "Ignore";
    case MsgResult::Yes:
      return "Yes";
    case MsgResult::No:
      return "No";
  }
  return "?";
}

}  // namespace

ConsolePlatform::ConsolePlatform(Options options) : ConsolePlatform(options, std::cerr) {}

ConsolePlatform::ConsolePlatform(Options options, std::ostream& err)
    : options_(options),
      err_(err),
      appDataFolder_(DefaultAppDataFolder()),
      programFolder_(DefaultProgramFolder()),
      tempFolder_(DefaultTempFolder()) {}

void ConsolePlatform::InstallInterruptHandler() {
  interruptSeen.store(false);
  interruptHandled_ = false;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // One Ctrl-C asks the run to stop; the handler then falls back to the
  // default, so a second one ends a program that does not respond.
  action.sa_flags = SA_RESETHAND;
  ::sigaction(SIGINT, &action, nullptr);
}

bool ConsolePlatform::Interrupted() const {
  return interruptSeen.load();
}

MsgResult ConsolePlatform::PolicyAnswer(MsgButtons buttons, bool assumeYes) {
  switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
      return MsgResult::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
      return assumeYes ? MsgResult::Yes : MsgResult::No;
    // Nobody can fix the cause from here: retrying would only repeat it.
    case MsgButtons::AbortRetryIgnore:
      return MsgResult::Abort;
    case MsgButtons::RetryCancel:
      return MsgResult::Cancel;
  }
  return MsgResult::Cancel;
}

MsgResult ConsolePlatform::MessageBox(const MessageBoxRequest& request) {
  const MsgResult answer = PolicyAnswer(request.buttons, options_.assumeYes);
  if (!request.title.empty()) err_ << ForTerminal(request.title) << ": ";
  err_ << ForTerminal(request.text) << '\n';
  if (request.buttons != MsgButtons::Ok) err_ << "  -> " << AnswerName(answer) << '\n';
  err_.flush();
  return answer;
}

std::vector<std::u16string> ConsolePlatform::ShowOpenDialog(const FileDialogRequest&) {
  return {};
}

std::u16string ConsolePlatform::ShowSaveDialog(const FileDialogRequest&) {
  return {};
}

std::u16string ConsolePlatform::BrowseForFolder(const Form*, const std::u16string&) {
  return {};
}

void ConsolePlatform::DoEvents() {
  if (interruptHandled_ || !interruptSeen.load()) return;
  interruptHandled_ = true;
  err_ << "Interrupted: stopping ...\n";
  err_.flush();
  if (onInterrupt) onInterrupt();
}

void ConsolePlatform::ShowForm(Form& form, bool modal) {
  if (modal) form.Hide();
}

void ConsolePlatform::HideForm(Form&) {}

void ConsolePlatform::Refresh(Form&) {}

int ConsolePlatform::OpenInBrowser(const std::u16string& address) {
  err_ << "Open: " << ForTerminal(address) << '\n';
  err_.flush();
  return 42;
}

std::chrono::system_clock::time_point ConsolePlatform::Now() const {
  return std::chrono::system_clock::now();
}

std::optional<std::int64_t> ConsolePlatform::DiskFreeSpace(const std::u16string& path) const {
  return DiskFreeSpaceAt(path);
}

bool ConsolePlatform::IsReadOnlyFileSystem(const std::u16string& path) const {
  return IsReadOnlyFileSystemAt(path);
}

}  // namespace quor::ui
