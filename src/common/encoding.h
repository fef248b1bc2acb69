// Conversions between the program's UTF-16 strings and the byte encodings it
// meets: Windows-1252 for document bytes, UTF-8 for files the program writes
// and reads back itself and for file names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quor {

// The character a document byte stands for, through Windows-1252. The five
// undefined bytes 0x81 0x8D 0x8F 0x90 0x9D map to U+0081 ... U+009D.
char16_t AnsiChar(std::uint8_t byte);

// The Windows-1252 byte of a character; characters outside the code page give
// the byte of "?" (63), except U+0080...U+009F without a Windows-1252 meaning,
// which give their own low byte.
std::uint8_t AnsiCode(char16_t ch);

// Each byte becomes one character through AnsiChar.
std::u16string AnsiToText(std::string_view bytes);
// Each character becomes one byte through AnsiCode.
std::string TextToAnsi(std::u16string_view text);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view bytes);
// UTF-8 to UTF-16, losing nothing: each byte of an ill-formed sequence
// becomes the lone surrogate U+DC00 + byte (U+DC80...U+DCFF), so a file name that is
// not UTF-8 still names its file once TextToUtf8 gives its bytes back.
std::u16string Utf8ToText(std::string_view utf8);
// UTF-16 to UTF-8; a lone U+DC80...U+DCFF becomes the byte it stands for,
// any other unpaired surrogate U+FFFD. TextToUtf8(Utf8ToText(b)) == b for
// all bytes b.
std::string TextToUtf8(std::u16string_view text);
// What the terminal (or a pipe) gets for program text: UTF-8, CR LF and lone
// CRs of the program's texts as line feeds, and each byte of a file name that
// was not UTF-8 as that same byte, so a printed path names its file.
std::string TerminalText(std::u16string_view text);
// True for the lone surrogates that stand for a byte that was not UTF-8.
bool IsEscapedByte(char16_t ch);
// True when text came from bytes that were not all well-formed UTF-8.
bool HasEscapedBytes(std::u16string_view text);

}  // namespace quor
