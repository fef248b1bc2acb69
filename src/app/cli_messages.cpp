#include "app/cli_messages.h"

#include <atomic>
#include <csignal>
#include <ostream>

namespace quor::app {

namespace {

// What the signal handler can reach: the token of the running command.
std::atomic<StopToken*> interruptTarget{nullptr};
std::atomic<bool> interruptSeen{false};
static_assert(std::atomic<StopToken*>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnCommandInterrupt(int) {
  interruptSeen.store(true);
  if (StopToken* stop = interruptTarget.load()) stop->RequestStop();
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

MsgResult PolicyAnswer(MsgButtons buttons, bool assumeYes) {
  switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
      return MsgResult::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
      return assumeYes ? MsgResult::Yes : MsgResult::No;
    case MsgButtons::AbortRetryIgnore:
      return MsgResult::Abort;
    case MsgButtons::RetryCancel:
      return MsgResult::Cancel;
  }
  return MsgResult::Cancel;
}

MsgResult CliMessages::MessageBox(const MessageBoxRequest& request) {
  const MsgResult answer = PolicyAnswer(request.buttons, assumeYes_);
  if (!request.title.empty()) err_ << TerminalText(request.title) << ": ";
  err_ << TerminalText(request.text) << '\n';
  if (request.buttons != MsgButtons::Ok) err_ << "  -> " << AnswerName(answer) << '\n';
  err_.flush();
  return answer;
}

InterruptStop::InterruptStop(StopToken& stop) {
  interruptSeen.store(false);
  interruptTarget.store(&stop);
  struct sigaction action {};
  action.sa_handler = OnCommandInterrupt;
  sigemptyset(&action.sa_mask);
  // One Ctrl-C asks the run to stop; the handler then falls back to the
  // default, so a second one ends a program that does not respond.
  action.sa_flags = SA_RESETHAND;
  ::sigaction(SIGINT, &action, &previous_);
}

InterruptStop::~InterruptStop() {
  ::sigaction(SIGINT, &previous_, nullptr);
  interruptTarget.store(nullptr);
}

bool InterruptStop::Interrupted() const {
  return interruptSeen.load();
}

void InterruptStop::ReportOnce(std::ostream& err) {
  if (reported_ || !Interrupted()) return;
  reported_ = true;
  err << "Interrupted: stopping ...\n";
  err.flush();
}

}  // namespace quor::app
