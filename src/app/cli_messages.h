// How the command line talks to its user for an engine: messages and
// questions on stderr as "Title: text", a question answered by the command's
// policy (--yes) with the answer shown below it, and Ctrl-C turned into the
// operation's stop.
#pragma once

#include <signal.h>

#include <iosfwd>
#include <string>
#include <string_view>

#include "app/cli_options.h"
#include "common/messages.h"

namespace quor::app {

// The answer a message gets on the command line: OK for OK and OK/Cancel,
// Yes or No for Yes/No questions as assumeYes says, Abort and Cancel where
// retrying would only repeat the cause.
MsgResult PolicyAnswer(MsgButtons buttons, bool assumeYes);

class CliMessages : public MessageSink {
 public:
  CliMessages(std::ostream& err, bool assumeYes) : err_(err), assumeYes_(assumeYes) {}
  // Writes "Title: text" (the text alone without a title) and, for a
  // question, "  -> Answer"; returns the policy's answer.
  MsgResult MessageBox(const MessageBoxRequest& request) override;

 private:
  std::ostream& err_;
  bool assumeYes_;
};

// While it lives, the first Ctrl-C requests stop on the token (a second one
// ends the process as usual); the handler before it is restored afterwards.
class InterruptStop {
 public:
  explicit InterruptStop(StopToken& stop);
  ~InterruptStop();
  InterruptStop(const InterruptStop&) = delete;
  InterruptStop& operator=(const InterruptStop&) = delete;

  // True once Ctrl-C was seen.
  bool Interrupted() const;
  // Writes "Interrupted: stopping ..." to err the first time it is called
  // after a Ctrl-C (the engines' poll points call it).
  void ReportOnce(std::ostream& err);

 private:
  struct sigaction previous_ {};
  bool reported_ = false;
};

// The exit status of a command ended by Ctrl-C.
inline constexpr int kExitInterrupted = 130;

}  // namespace quor::app
