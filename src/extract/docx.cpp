// Converting a DOCX document into a temporary text file.
#include "extract/docx.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "common/paths.h"

namespace quor {
namespace {

constexpr int kMaxTempFolders = 999;

// Shows a message through the callbacks; an unanswered question counts as Yes.
bool Show(const DocxCallbacks& callbacks, DocxMessage message) {
  if (!callbacks.show) return true;
  return callbacks.show(message);
}

std::u16string ThreeDigits(int n) {
  std::u16string digits = u"000";
  for (int i = 2; i >= 0; --i, n /= 10) digits[static_cast<std::size_t>(i)] = u'0' + n % 10;
  return digits;
}

ExtractedPart Fail(ExtractedPart& part, std::int32_t status) {
  ClearDocxTemp(part.tempFolder);
  part.tempFolder.clear();
  part.bytes.clear();
  part.bytes.shrink_to_fit();
  part.status = status;
  return std::move(part);
}

}  // namespace

std::u16string MakeDocxTempFolder(std::u16string_view tempRoot, std::u16string_view folderName) {
  const std::u16string root = EnsureTrailingBackslash(tempRoot);
  if (root.empty()) return {};
  for (int n = 1; n <= kMaxTempFolders; ++n) {
    const std::u16string folder = root + std::u16string(folderName) + ThreeDigits(n);
    // mkdir fails with EEXIST for a folder, a file or a link of that name, so
    // taking the name and testing it are one step: no other process can slip
    // in between. The folder sits in a shared place and is kept private.
    if (::mkdir(ToFsPath(folder).c_str(), 0700) == 0) return folder + kPathSeparator;
    if (errno != EEXIST) return {};
  }
  return {};
}

bool ClearDocxTemp(std::u16string_view tempFolder) {
  if (tempFolder.empty()) return true;
  std::error_code error;
  const std::filesystem::path folder = ToFsPath(tempFolder);
  std::filesystem::remove_all(folder, error);
  return !std::filesystem::exists(std::filesystem::symlink_status(folder, error));
}

std::u16string DocxTextFileName(std::u16string_view path) {
  std::u16string name = FoldCase(GetFileName(path));
  const std::size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos) name.erase(dot);
  return name + u".txt";
}

ExtractedPart ExtractDocumentPart(std::u16string_view path, std::u16string_view tempRoot,
                                  std::u16string_view folderName, const DocxCallbacks& callbacks) {
  ExtractedPart part;
  part.tempFolder = MakeDocxTempFolder(tempRoot, folderName);
  if (part.tempFolder.empty()) return Fail(part, kDocxNoTempFolder);

  UnzippedPart unzipped = UnzipDocumentPart(path, kDocxTooLargeSize + 1);
  if (unzipped.outcome == UnzippedPart::Outcome::Missing) return Fail(part, kDocxNoDocumentText);
  if (unzipped.outcome == UnzippedPart::Outcome::Damaged) {
    const bool scan =
        Show(callbacks, {u"Invalid checksum found when processing" + std::u16string(kCrLf) +
                             std::u16string(path) + std::u16string(kCrLf) + std::u16string(kCrLf) +
                             u"Do you wish to scan this file anyway?",
                         u"", DocxMessage::Kind::Question});
    if (!scan) return Fail(part, kDocxDamagedDeclined);
  }
  part.bytes = std::move(unzipped.bytes);

  const auto length = static_cast<std::int64_t>(part.bytes.size());
  if (length > kDocxTooLargeSize) return Fail(part, kDocxTooLarge);
  if (length > kDocxLargeSize) {
    const std::u16string crLf(kCrLf);
    const bool scan = Show(
        callbacks, {std::u16string(path) + crLf + u"is rather large.  It may take awhile to scan." +
                        crLf + u"Do you wish to continue?",
                    u"Big file", DocxMessage::Kind::QuestionDefaultNo});
    if (!scan) {
      Show(callbacks, {u"You could try saving it as a text file" + crLf +
                           u"and applying this program to that file.",
                       u"Big file", DocxMessage::Kind::Notice});
      return Fail(part, kDocxLargeDeclined);
    }
  }
  part.status = static_cast<std::int32_t>(length);
  return part;
}

DocxConversion ConvertDocxToText(std::u16string_view path, std::u16string_view tempRoot,
                                 std::u16string_view folderName, const DocxCallbacks& callbacks) {
  DocxConversion conversion;
  ExtractedPart part = ExtractDocumentPart(path, tempRoot, folderName, callbacks);
  conversion.status = part.status;
  if (part.status < 0) return conversion;

  TextList runs;
  std::int64_t totalLength = 0;
  ReadDocumentRuns(part.bytes, runs, totalLength, callbacks.processEvents);
  part.bytes = {};

  const std::u16string textPath = part.tempFolder + DocxTextFileName(path);
  conversion.errorText = WriteLinesToFile(textPath, runs, 0, static_cast<int>(runs.size()) - 1);
  if (!conversion.errorText.empty()) {
    ClearDocxTemp(part.tempFolder);
    conversion.status = kDocxWriteFailed;
    return conversion;
  }
  conversion.tempFolder = part.tempFolder;
  conversion.textPath = textPath;
  return conversion;
}

}  // namespace quor
