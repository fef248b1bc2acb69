#include "search/file_listing.h"

#include "common/files.h"
#include "common/strings.h"
#include "indexfile/compressor.h"
#include "indexfile/index_text_reader.h"
#include "search/index_load.h"

namespace quor {

namespace {

std::u16string_view FolderPart(std::u16string_view path) {
  const std::size_t slash = path.rfind(u'/');
  return slash == std::u16string_view::npos ? std::u16string_view() : path.substr(0, slash);
}

std::u16string ExpansionError(std::int32_t status) {
  return u"Error when reading the index file:" + ToText(status) +
         u"\r\nProbably the index file is incomplete or corrupted.";
}

}  // namespace

std::u16string LoadFileList(std::u16string_view indexPath, LoadedIndex& index) {
  index.Clear();
  index.IndexFilePath = std::u16string(indexPath);
  if (!FileExists(indexPath)) return u"The index file does not exist.";
  FileCompressor compressor;
  if (!compressor.AllocateCompressionBuffer()) {
    return u"Allocation error when reading the index file.";
  }
  if (const std::int32_t status = compressor.BeginExpand(indexPath); status < 0) {
    return ExpansionError(status);
  }
  RecordFieldReader reader(
      [&compressor](std::string& to, bool& done) { return compressor.ExpandMore(to, done); });
  const std::u16string error = ReadFileList(reader, index);
  if (reader.SourceStatus() < 0) return ExpansionError(reader.SourceStatus());
  if (!error.empty()) return u"Error when reading file list: " + error;
  return {};
}

FileListing MakeFileListing(const LoadedIndex& index, bool byFolder) {
  FileListing listing;
  listing.byFolder = byFolder;
  listing.files.assign(index.FileList.begin(), index.FileList.end());
  if (!byFolder && listing.files.size() > 1) {
    SortStrings(listing.files, 0, static_cast<int>(listing.files.size()) - 1, true);
  }
  listing.heading = std::u16string(byFolder ? u"Listing by folder of the filepaths of the "
                                            : u"Alphabetical listing of the filepaths of the ") +
                    ToText(static_cast<std::int64_t>(listing.files.size())) + u" indexed files";
  listing.note =
      u"The file(path)s given below are relative to the top folder at the time the index file was "
      u"created.  Be sure to set the top folder to the one currently containing the files to be "
      u"searched.";
  return listing;
}

bool StartsNewFolder(std::u16string_view previous, std::u16string_view entry) {
  return FolderPart(previous) != FolderPart(entry);
}

std::u16string FileListingText(const FileListing& listing) {
  std::u16string text = listing.heading + u"\r\n" + listing.note + u"\r\n\r\n";
  for (std::size_t k = 0; k < listing.files.size(); ++k) {
    if (listing.byFolder && k > 0 && StartsNewFolder(listing.files[k - 1], listing.files[k])) {
      text += u"\r\n";
    }
    text += listing.files[k] + u"\r\n";
  }
  text += u"\r\n" + std::u16string(kFileListingClosing) + u"\r\n";
  return text;
}

}  // namespace quor
