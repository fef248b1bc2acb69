// A message sink for the search engine's tests: records every message and
// answers each with a fixed button. Also a lexicon made from words.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/encoding.h"
#include "common/messages.h"
#include "search/loaded_index.h"

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

// A lexicon of words, the k-th given (1-based) on row k, in the order a
// loaded index keeps (by code unit).
inline Lexicon MakeLexicon(const std::vector<std::u16string>& words) {
  std::vector<std::pair<std::u16string, std::int32_t>> sorted;
  for (const std::u16string& w : words) {
    sorted.emplace_back(w, static_cast<std::int32_t>(sorted.size() + 1));
  }
  std::sort(sorted.begin(), sorted.end());
  Lexicon lexicon;
  for (const auto& [word, row] : sorted) lexicon.Add(TextToUtf8(word), row);
  return lexicon;
}

}  // namespace quor::test
