// A message sink for the search engine's tests: records every message and
// answers each with a fixed button.
#pragma once

#include <string>
#include <vector>

#include "common/messages.h"

namespace quor::test {

class RecordingSink : public MessageSink {
 public:
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    messages.push_back(request);
    return answer;
  }
  // The texts of the messages shown, in order.
  std::vector<std::u16string> Texts() const {
    std::vector<std::u16string> texts;
    for (const MessageBoxRequest& m : messages) texts.push_back(m.text);
    return texts;
  }

  std::vector<MessageBoxRequest> messages;
  MsgResult answer = MsgResult::Ok;
};

}  // namespace quor::test
