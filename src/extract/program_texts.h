// The program-text store: numbered label and message texts loaded from a UTF-8
// text file in the program folder (data/quor.dat).
#pragma once

#include <string>
#include <unordered_map>

namespace quor {

class ProgramTexts {
 public:
  // Loads the file. Returns the number of texts loaded (> 0) or one of the
  // error codes that LoadErrorMessage words (0 nothing read, -1 cannot open,
  // -6 empty, -7 read error, -1000-n missing text at line n, -1500-n duplicate
  // at line n, ...).
  int Load(const std::u16string& path);
  // The text with that number; empty when the store has none or holds "~".
  std::u16string Get(int number) const;
  // Adds or replaces one text (tests, fallbacks).
  void Set(int number, std::u16string text);

 private:
  std::unordered_map<int, std::u16string> texts_;
};

// The message shown when loading failed with code (the path goes with -1).
std::u16string ProgramTextLoadMessage(int code, const std::u16string& path);

}  // namespace quor
