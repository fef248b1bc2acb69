// `quor expand FILE_index.quor OUTFILE`: writes the uncompressed index text
// (OUTFILE "-": to standard output).
#pragma once

#include "app/cli.h"

namespace quor::app {

// Expands the compressed index file into OUTFILE, or to the command's output
// for "-". Exit status 0 on success;
// 1 with a message on stderr when the input is missing, is not a compressed
// index or is damaged, or the output cannot be written (an OUTFILE that
// existed before is then left as it was); 2 on bad usage; 130 after Ctrl-C,
// which leaves no new file and an OUTFILE that existed as it was.
CliCommand ExpandCommand();

}  // namespace quor::app
