#include "app/cli_files.h"

#include <ostream>

#include "app/cli_options.h"
#include "common/encoding.h"
#include "indexfile/data_file.h"
#include "search/file_listing.h"
#include "search/loaded_index.h"

namespace quor::app {

namespace {

int RunFiles(const CliArgs& args, CliStreams& io) {
  const std::u16string indexPath = Utf8ToText(args.Value("--index"));
  if (!HasIndexFileSuffix(indexPath)) {
    io.err << "quor files: Index file names must end in '_index.quor'.\n";
    return kExitFailed;
  }
  LoadedIndex index;
  if (const std::u16string error = LoadFileList(indexPath, index); !error.empty()) {
    io.err << "quor files: " << TerminalText(error) << '\n';
    return kExitFailed;
  }
  const FileListing listing = MakeFileListing(index, args.Given("--by-folder"));
  io.out << TerminalText(FileListingText(listing));
  io.out.flush();
  return kExitOk;
}

}  // namespace

CliCommand FilesCommand() {
  CliSyntax syntax;
  syntax.command = "files";
  syntax.summary = "lists the files an index covers (the Search Module's \"List indexed files\")";
  syntax.options = {
      Valued("--index", "FILE_index.quor", "the index file").Required(),
      Flag("--by-folder", "list in index order, folder by folder (default: alphabetically)"),
  };
  syntax.details =
      "The paths are relative to the top folder at the time the index was created. Only the "
      "file list is read: no data file is built.";
  return MakeCliCommand(std::move(syntax), RunFiles);
}

}  // namespace quor::app
