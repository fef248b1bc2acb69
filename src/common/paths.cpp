#include "common/paths.h"

#include "common/encoding.h"
#include "common/strings.h"

namespace quor {

namespace {

std::u16string_view NamePart(std::u16string_view path) {
  const std::size_t slash = path.rfind(kPathSeparator);
  return slash == path.npos ? path : path.substr(slash + 1);
}

}  // namespace

std::u16string GetExtension(std::u16string_view path, bool lower) {
  // Only the name part counts: a dot in a folder name is no extension.
  const std::u16string_view name = NamePart(path);
  const std::size_t dot = name.rfind(u'.');
  if (dot == name.npos) return {};
  std::u16string extension(name.substr(dot + 1));
  if (lower) FoldCaseInPlace(extension);
  return extension;
}

std::u16string GetFileName(std::u16string_view path, bool fold) {
  std::u16string name(NamePart(path));
  if (fold) FoldCaseInPlace(name);
  return name;
}

std::u16string GetFolderPart(std::u16string_view path) {
  const std::size_t slash = path.rfind(kPathSeparator);
  if (slash == path.npos) return {};
  return std::u16string(path.substr(0, slash + 1));
}

std::u16string EnsureTrailingBackslash(std::u16string_view text) {
  if (text.empty()) return {};
  const std::size_t last = text.find_last_not_of(kPathSeparator);
  std::u16string result(last == text.npos ? std::u16string_view() : text.substr(0, last + 1));
  result += kPathSeparator;
  return result;
}

bool IsPathUnder(std::u16string_view a, std::u16string_view b) {
  return EnsureTrailingBackslash(a).starts_with(EnsureTrailingBackslash(b));
}

bool IsValidFileName(std::u16string_view name) {
  for (const char16_t ch : name) {
    if (ch == kPathSeparator || ch == u'"' || ch < 0x20 || ch == 0x7F) return false;
    // A byte of a name that was not UTF-8 (see Utf8ToText).
    if (IsEscapedByte(ch)) return false;
  }
  return true;
}

bool IsAbsolutePath(std::u16string_view path) {
  return !path.empty() && path.front() == kPathSeparator;
}

std::filesystem::path ToFsPath(std::u16string_view path) {
  return std::filesystem::path(TextToUtf8(path));
}

std::u16string FromFsPath(const std::filesystem::path& path) {
  return Utf8ToText(path.native());
}

std::string FileUrl(std::u16string_view fullPath) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  if (fullPath.empty() || fullPath.front() != u'/') url += '/';
  for (unsigned char byte : TextToUtf8(fullPath)) {
    const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                       (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                       byte == '~' || byte == '/';
    if (plain) {
      url += static_cast<char>(byte);
      continue;
    }
    url += '%';
    url += kHex[byte >> 4];
    url += kHex[byte & 0xF];
  }
  return url;
}

}  // namespace quor
