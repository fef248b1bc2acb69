// `quor files --index FILE_index.quor [--by-folder]`: the listing of the
// files an index covers, as the Search Module's "List indexed files" shows it.
#pragma once

#include "app/cli.h"

namespace quor::app {

// Prints the listing on stdout: alphabetically (letter case ignored) or, with
// --by-folder, in index order with an empty line between folders. Exit
// status 0 on success; 1 with a message on stderr when the index file's name
// is wrong or the file cannot be read; 2 on bad usage.
CliCommand FilesCommand();

}  // namespace quor::app
