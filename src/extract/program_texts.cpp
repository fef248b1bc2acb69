#include "extract/program_texts.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>

#include "common/encoding.h"

namespace quor {

namespace {

// A program-text file is a few tens of kilobytes; anything far larger is not one.
constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;

// Line-numbered error codes: base - line. The missing and too-long ranges are
// 500 wide, so their line part stops at 500 to keep the kinds apart.
constexpr int kMissingBase = -500;
constexpr int kTooLongBase = -1000;
constexpr int kDuplicateBase = -1500;
constexpr int kWidestLinePart = 500;

enum class ReadOutcome { kOk, kCannotOpen, kReadError, kTooLarge };

ReadOutcome ReadFileBytes(const std::u16string& path, std::string& bytes) {
  const std::string nativePath = TextToUtf8(path);
  const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ReadOutcome::kCannotOpen;
  ReadOutcome outcome = ReadOutcome::kOk;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      outcome = ReadOutcome::kReadError;
      break;
    }
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > kMaxFileBytes) {
      outcome = ReadOutcome::kTooLarge;
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return outcome;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The number of a `NUMBER=` prefix: one to six digits; -1 when it is not one.
int ParseNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 6) return -1;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// `\n` becomes CR LF and `\\` one backslash; any other backslash stays as written.
std::string Unescape(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size()) {
      if (raw[i + 1] == 'n') {
        out += "\r\n";
        ++i;
        continue;
      }
      if (raw[i + 1] == '\\') {
        out += '\\';
        ++i;
        continue;
      }
    }
    out += raw[i];
  }
  return out;
}

std::u16string NumberText(long long n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

int ProgramTexts::Load(const std::u16string& path) {
  texts_.clear();
  errorLine_ = 0;

  std::string bytes;
  switch (ReadFileBytes(path, bytes)) {
    case ReadOutcome::kCannotOpen:
      return -1;
    case ReadOutcome::kReadError:
      return -7;
    case ReadOutcome::kTooLarge:
      return -3;
    case ReadOutcome::kOk:
      break;
  }
  if (bytes.empty()) return -6;
  std::string_view rest(bytes);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  if (!IsValidUtf8(rest)) return -7;

  const auto fail = [this](int base, int line) {
    texts_.clear();
    errorLine_ = line;
    return base - (base == kDuplicateBase ? line : std::min(line, kWidestLinePart));
  };

  int line = 0;
  while (!rest.empty()) {
    ++line;
    const std::size_t end = rest.find('\n');
    std::string_view entry = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!entry.empty() && entry.back() == '\r') entry.remove_suffix(1);

    const std::string_view trimmed = TrimBlanks(entry);
    if (trimmed.empty() || trimmed.front() == '#') continue;

    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) return fail(kMissingBase, line);
    const int number = ParseNumber(TrimBlanks(entry.substr(0, equals)));
    const std::string_view raw = entry.substr(equals + 1);
    if (number < 0 || raw.empty()) return fail(kMissingBase, line);
    if (texts_.contains(number)) return fail(kDuplicateBase, line);
    std::u16string text = Utf8ToText(Unescape(raw));
    if (text.size() > static_cast<std::size_t>(kMaxTextLength)) return fail(kTooLongBase, line);
    texts_.emplace(number, std::move(text));
  }
  return static_cast<int>(texts_.size());
}

std::u16string ProgramTexts::Get(int number) const {
  const auto found = texts_.find(number);
  if (found == texts_.end() || found->second == u"~") return {};
  return found->second;
}

void ProgramTexts::Set(int number, std::u16string text) {
  texts_[number] = std::move(text);
}

std::u16string ProgramTextLoadMessage(int code, const std::u16string& path, int line) {
  const auto atLine = [line](std::u16string_view what, int codeLine) {
    return std::u16string(what) + u" at line " + NumberText(line > 0 ? line : codeLine) + u".";
  };
  if (code > 0) return {};
  switch (code) {
    case 0:
      return u"No program text was read.";
    case -1:
      return u"Cannot open file containing program text.\r\n" + path;
    case -2:
      return u"Particular memory allocation error.";
    case -3:
      return u"Too much program text.";
    case -4:
      return u"Text not recovered.";
    case -6:
      return u"File is empty.";
    case -7:
      return u"Error reading file.";
    case -8:
      return u"General memory allocation error.";
    default:
      break;
  }
  if (code < kDuplicateBase) return atLine(u"Duplicate in program text", kDuplicateBase - code);
  if (code < kTooLongBase) return atLine(u"String too long", kTooLongBase - code);
  if (code < kMissingBase) return atLine(u"Missing string", kMissingBase - code);
  return u"Error " + NumberText(code);
}

}  // namespace quor
