// The vocabulary an engine uses to talk to its user without knowing who that
// is: a message with the text, title, buttons and icon the program gives it, the
// answer to it, and the one stop flag a long operation polls.
//
// A window shows messages as message boxes, the command line prints them on
// stderr and answers questions from its options, a test records them.
#pragma once

#include <atomic>
#include <string>
#include <utility>

namespace quor {

enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
// Values as the classic message-box function returns them.
enum class MsgResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageBoxRequest {
  std::u16string text;
  std::u16string title;
  MsgButtons buttons = MsgButtons::Ok;
  MsgIcon icon = MsgIcon::None;
  int defaultButton = 1;  // 1-based
};

// Where messages and questions go; returns the button the user chose.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual MsgResult MessageBox(const MessageBoxRequest& request) = 0;
  MsgResult MsgBox(std::u16string text, MsgButtons buttons, MsgIcon icon, std::u16string title,
                   int defaultButton = 1) {
    return MessageBox({std::move(text), std::move(title), buttons, icon, defaultButton});
  }
};

// The stop flag of one operation. The owner of the operation (a window's Stop
// or Pause/Cancel, the command line's Ctrl-C handler) requests the stop; the
// engine polls it after every file and every folder and ends with its
// "stopped" outcome. Safe to set from another thread or a signal handler.
class StopToken {
 public:
  bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }
  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  void Reset() { stop_.store(false, std::memory_order_relaxed); }

 private:
  std::atomic<bool> stop_{false};
};

}  // namespace quor
