// Feeds arbitrary bytes to the DOCX conversion. The first byte chooses what
// the rest is: even, a zip package converted from a file; odd, the XML of a
// document part given straight to the run parser.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "common/paths.h"
#include "extract/docx.h"

namespace {

// A private folder for the package file and the conversions' temporary folders.
// Never destroyed, so that the clean-up at exit can still use it.
const std::filesystem::path& WorkFolder() {
  static const std::filesystem::path* const folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "docx-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return new std::filesystem::path(pattern);
  }();
  static const bool cleanUpAtExit = [] {
    return std::atexit([] {
             std::error_code error;
             std::filesystem::remove_all(*folder, error);
           }) == 0;
  }();
  (void)cleanUpAtExit;
  return *folder;
}

void CheckRuns(const quor::TextList& runs, int count, std::int64_t total) {
  std::int64_t sum = 0;
  for (const auto& run : runs) {
    if (run.empty()) std::abort();  // a blank run is one space, never empty
    sum += static_cast<std::int64_t>(run.size());
  }
  if (count != static_cast<int>(runs.size()) || sum != total) std::abort();
}

void FuzzPackage(std::string_view bytes) {
  const std::filesystem::path package = WorkFolder() / "in.docx";
  {
    std::ofstream out(package, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  const quor::UnzippedPart part =
      quor::UnzipDocumentPart(quor::FromFsPath(package), quor::kDocxTooLargeSize + 1);
  if (static_cast<std::int64_t>(part.bytes.size()) > quor::kDocxTooLargeSize + 1) std::abort();

  const std::u16string root = quor::FromFsPath(WorkFolder() / "tmp");
  std::filesystem::create_directories(WorkFolder() / "tmp");
  const quor::DocxConversion result =
      quor::ConvertDocxToText(quor::FromFsPath(package), root, u"QUOR", {});
  if (result.status >= 0) {
    if (!quor::ClearDocxTemp(result.tempFolder)) std::abort();
  } else if (!std::filesystem::is_empty(WorkFolder() / "tmp")) {
    std::abort();  // a failed conversion leaves no folder behind
  }
}

void FuzzXml(std::string_view bytes) {
  quor::TextList runs;
  std::int64_t total = -1;
  const int count = quor::ReadDocumentRuns(bytes, runs, total);
  CheckRuns(runs, count, total);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] % 2 == 0) {
    FuzzPackage(rest);
  } else {
    FuzzXml(rest);
  }
  return 0;
}
