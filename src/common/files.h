// File helpers: existence, forced deletion, sizes as text, and the folders
// the program keeps its own files in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quor {

// False for an empty path or for anything that is not a regular file (or a
// link to one).
bool FileExists(std::u16string_view path);
bool FolderExists(std::u16string_view path);

// Deletes a file, first making it writable when clearReadOnly is set (hidden
// and system attributes have no meaning here). True when no file remains.
bool DeleteFileForced(std::u16string_view path, bool clearHidden, bool clearReadOnly,
                      bool clearSystem);

// Size in bytes, or nullopt when the file cannot be read.
std::optional<std::int64_t> FileLength(std::u16string_view path);

// "123 bytes" below 1024; "1.50 Kb" below 1048576; else "2.25 Mb".
std::u16string FormatByteSize(std::int64_t n);
// As FormatByteSize with digit grouping, and 1024 Mb and more in " Gb", with
// the given number of decimals.
std::u16string FormatTotalSize(double bytes, int decimals);

// Whole file into memory; nullopt (and the system's description in error) on
// failure.
std::optional<std::string> ReadWholeFile(std::u16string_view path, std::u16string* error = nullptr);
// Writes (replaces) a file; false with the description in error on failure.
bool WriteWholeFile(std::u16string_view path, std::string_view bytes,
                    std::u16string* error = nullptr);

// The system's description of an errno value, as UTF-16.
std::u16string ErrorDescription(int errnoValue);

// The folder for temporary files: tmpDir (the value of TMPDIR, null when it
// is unset) when it is not empty and names an existing folder, else "/tmp".
// No trailing separator.
std::u16string SystemTempFolderFrom(const char* tmpDir);
// The same for this process's TMPDIR.
std::u16string SystemTempFolder();

// The program's data folder (settings, work and report files): folderName
// ("QUOR" when empty) inside appDataFolder, or inside the temporary folder
// when appDataFolder is empty. The folder is created when it is missing; a
// failure shows where a file in it is used. No trailing separator.
std::u16string ProgramDataFolder(std::u16string_view appDataFolder, std::u16string_view folderName);

}  // namespace quor
