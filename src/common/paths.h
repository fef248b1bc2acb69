// Path helpers. Paths are UTF-16 texts with the platform separator "/".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quor {

inline constexpr char16_t kPathSeparator = u'/';

// The text after the last "." of the name part, lower-cased when asked; empty
// when the name has no ".".
std::u16string GetExtension(std::u16string_view path, bool lower);
// The text after the last separator (folded when asked).
std::u16string GetFileName(std::u16string_view path, bool fold = false);
// The text up to and including the last separator; empty when there is none.
std::u16string GetFolderPart(std::u16string_view path);
// A non-empty text ends with exactly one separator; an empty text stays empty.
std::u16string EnsureTrailingBackslash(std::u16string_view text);
// After both get one trailing separator, a begins with b.
bool IsPathUnder(std::u16string_view a, std::u16string_view b);
// True when name holds none of the characters a name cannot hold here:
// the separator, the double quote (the index text cannot store it),
// control characters, and the bytes of a name that is not UTF-8.
bool IsValidFileName(std::u16string_view name);
// True for an absolute path.
bool IsAbsolutePath(std::u16string_view path);

// Conversions to and from the file system's byte names (UTF-8).
std::filesystem::path ToFsPath(std::u16string_view path);
std::u16string FromFsPath(const std::filesystem::path& path);

// The "file://" address of an absolute path, in ASCII: each byte of the
// path's UTF-8 outside letters, digits, "-", ".", "_", "~" and "/" is
// percent-encoded ("%20", "%23", "%25", "%3F", "%C3%A9"), so a space, "#",
// "%", "?" or an accented letter in a name cannot break the link; also safe
// inside a double-quoted attribute.
std::string FileUrl(std::u16string_view fullPath);

}  // namespace quor
