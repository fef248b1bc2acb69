// The machine's side of Platform shared by the console and Qt platforms:
// where the program's folders are (the temporary folder is
// SystemTempFolder, common/files.h), free space and read-only checks. The
// decisions are plain functions of their inputs so they can be tested without
// touching the real environment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quor::ui {

// Per-user application data: $XDG_DATA_HOME when it is an absolute path, else
// HOME + "/.local/share". Either argument may be null. No trailing separator.
std::u16string AppDataFolderFrom(const char* xdgDataHome, const char* home);
// The same from this process's environment (and the password database when
// HOME is unset).
std::u16string DefaultAppDataFolder();

// The folder holding the running executable (from /proc/self/exe); empty
// when unknown.
std::u16string ExecutableFolder();
// The program folder for an executable in exeFolder: exeFolder itself when it
// holds quor.dat, else "../share/quor" beside it when that one does, else
// exeFolder (so a missing file is reported where it was expected).
std::u16string ProgramFolderFor(const std::u16string& exeFolder);
std::u16string DefaultProgramFolder();

// Free bytes for an unprivileged user on the file system holding path (the
// nearest existing folder above it when path does not exist yet); nullopt
// when that cannot be found out.
std::optional<std::int64_t> DiskFreeSpaceAt(const std::u16string& path);
// True when path (or the nearest existing folder above it) lies on a file
// system mounted read-only.
bool IsReadOnlyFileSystemAt(const std::u16string& path);

}  // namespace quor::ui
