#include "common/encoding.h"

#include <algorithm>
#include <array>

namespace quor {

namespace {

// Windows-1252 bytes 0x80...0x9F. The five bytes the code page leaves
// undefined stand for the C1 control of the same number, so every byte has a
// character and every such character its byte.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr std::array<char16_t, 256> MakeAnsiTable() {
  std::array<char16_t, 256> table{};
  for (int b = 0; b < 256; ++b) table[b] = static_cast<char16_t>(b);
  for (int i = 0; i < 32; ++i) table[0x80 + i] = kHighControls[i];
  return table;
}

constexpr std::array<char16_t, 256> kAnsiTable = MakeAnsiTable();

constexpr char16_t kReplacement = 0xFFFD;

// A byte that is not part of well-formed UTF-8 (always 0x80 or above) is
// kept as the lone low surrogate U+DC80...U+DCFF, which no well-formed UTF-8
// decodes to.
constexpr char16_t kEscapeBase = 0xDC00;

char16_t EscapedByte(unsigned char byte) {
  return static_cast<char16_t>(kEscapeBase + byte);
}

// Decodes one well-formed UTF-8 sequence at bytes[pos]. Returns its length and
// sets cp, or returns the length of the maximal ill-formed subpart (at least
// 1) and leaves cp negative. The ranges are those of the well-formed byte
// sequence table of the Unicode standard: no overlong forms, no surrogates,
// nothing above U+10FFFF.
std::size_t DecodeOne(std::string_view bytes, std::size_t pos, char32_t& cp, bool& ok) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const std::size_t left = bytes.size() - pos;
  const unsigned char b0 = at(pos);
  ok = false;
  if (b0 < 0x80) {
    cp = b0;
    ok = true;
    return 1;
  }
  std::size_t need;
  unsigned char lo = 0x80;
  unsigned char hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 3;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 1;
  }
  char32_t value = b0 & (need == 2 ? 0x1F : need == 3 ? 0x0F : 0x07);
  for (std::size_t i = 1; i < need; ++i) {
    if (i >= left) return i;
    const unsigned char b = at(pos + i);
    const unsigned char low = i == 1 ? lo : 0x80;
    const unsigned char high = i == 1 ? hi : 0xBF;
    if (b < low || b > high) return i;
    value = (value << 6) | (b & 0x3F);
  }
  cp = value;
  ok = true;
  return need;
}

}  // namespace

char16_t AnsiChar(std::uint8_t byte) {
  return kAnsiTable[byte];
}

std::uint8_t AnsiCode(char16_t ch) {
  // Latin-1 and the C1 controls keep their number; only the characters the
  // code page moved into 0x80...0x9F need a search.
  if (ch < 0x100) return static_cast<std::uint8_t>(ch);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == ch) return static_cast<std::uint8_t>(0x80 + i);
  }
  return static_cast<std::uint8_t>('?');
}

std::u16string AnsiToText(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text[i] = kAnsiTable[static_cast<unsigned char>(bytes[i])];
  }
  return text;
}

std::string TextToAnsi(std::u16string_view text) {
  std::string bytes(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<char>(AnsiCode(text[i]));
  return bytes;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
      continue;
    }
    char32_t cp = 0;
    bool ok = false;
    pos += DecodeOne(bytes, pos, cp, ok);
    if (!ok) return false;
  }
  return true;
}

std::u16string Utf8ToText(std::string_view utf8) {
  // Never more UTF-16 units than bytes: size once, write through an index.
  std::u16string text(utf8.size(), u'\0');
  std::size_t out = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const auto b = static_cast<unsigned char>(utf8[pos]);
    if (b < 0x80) {
      text[out++] = b;
      ++pos;
      continue;
    }
    char32_t cp = 0;
    bool ok = false;
    const std::size_t length = DecodeOne(utf8, pos, cp, ok);
    if (!ok) {
      // Each byte of the ill-formed part stands for itself.
      for (std::size_t i = 0; i < length; ++i) {
        text[out++] = EscapedByte(static_cast<unsigned char>(utf8[pos + i]));
      }
    } else if (cp < 0x10000) {
      text[out++] = static_cast<char16_t>(cp);
    } else {
      cp -= 0x10000;
      text[out++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      text[out++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
    pos += length;
  }
  text.resize(out);
  return text;
}

bool IsEscapedByte(char16_t ch) {
  return ch >= kEscapeBase + 0x80 && ch <= kEscapeBase + 0xFF;
}

bool HasEscapedBytes(std::u16string_view text) {
  return std::any_of(text.begin(), text.end(), IsEscapedByte);
}

std::string TextToUtf8(std::u16string_view text) {
  // At most three bytes per UTF-16 unit (a pair gives four bytes for two).
  std::string out(text.size() * 3, '\0');
  std::size_t n = 0;
  const auto put = [&](char32_t cp) {
    if (cp < 0x80) {
      out[n++] = static_cast<char>(cp);
    } else if (cp < 0x800) {
      out[n++] = static_cast<char>(0xC0 | (cp >> 6));
      out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out[n++] = static_cast<char>(0xE0 | (cp >> 12));
      out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out[n++] = static_cast<char>(0xF0 | (cp >> 18));
      out[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    if (ch < 0x80) {
      out[n++] = static_cast<char>(ch);
      continue;
    }
    const bool high = ch >= 0xD800 && ch <= 0xDBFF;
    const bool low = ch >= 0xDC00 && ch <= 0xDFFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      put(0x10000 + ((char32_t(ch) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (IsEscapedByte(ch)) {
      out[n++] = static_cast<char>(ch - kEscapeBase);
    } else {
      put(high || low ? kReplacement : ch);
    }
  }
  out.resize(n);
  return out;
}

std::string TerminalText(std::u16string_view text) {
  std::u16string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      lines += u'\n';
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      continue;
    }
    lines += text[i];
  }
  return TextToUtf8(lines);
}

}  // namespace quor
