// The program-text store: numbered label and message texts loaded from a UTF-8
// text file in the program folder (data/quor.dat).
//
// File format: one text per line as `NUMBER=TEXT`; lines whose first
// non-blank character is `#` and blank lines are ignored. Inside a text, `\n`
// stands for a line break (CR LF) and `\\` for one backslash; everything else,
// spaces at either end included, is taken as written. A text of a single "~"
// marks a number with no text.
#pragma once

#include <string>
#include <unordered_map>

namespace quor {

class ProgramTexts {
 public:
  // The longest text a number may hold, in UTF-16 units.
  static constexpr int kMaxTextLength = 1023;

  // Loads the file, replacing whatever the store held. Returns the number of
  // texts loaded (> 0) or one of the codes that ProgramTextLoadMessage words:
  // 0 nothing read, -1 cannot open, -3 file too large, -6 empty file, -7 read
  // error (also bytes that are not UTF-8), -500-n a line n that is not a
  // numbered text, -1000-n a text longer than kMaxTextLength at line n,
  // -1500-n a number given a second time at line n. Line numbers above 500
  // do not fit the first two ranges: their codes stop at -1000 and -1500, and
  // ErrorLine() keeps the real line. A failed load leaves the store empty.
  int Load(const std::u16string& path);
  // The line of the last load error; 0 after a successful load or an error
  // that has no line.
  int ErrorLine() const { return errorLine_; }
  // The text with that number; empty when the store has none or holds "~".
  std::u16string Get(int number) const;
  // Adds or replaces one text (tests, fallbacks).
  void Set(int number, std::u16string text);

 private:
  std::unordered_map<int, std::u16string> texts_;
  int errorLine_ = 0;
};

// The message shown when loading failed with code (the path goes with -1); empty
// for a success (code > 0). When line is above 0 it is the line named by the
// line-numbered messages instead of the one the code carries.
std::u16string ProgramTextLoadMessage(int code, const std::u16string& path, int line = 0);

}  // namespace quor
