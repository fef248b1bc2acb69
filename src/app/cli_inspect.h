// `quor inspect FILE`: what the indexing pass makes of one file, for a user
// who wants to learn why a file is or is not found.
#pragma once

#include "app/cli.h"

namespace quor::app {

// Prints, one item per line: "type: N" (the text type code), "utf8: yes|no"
// (whether the text is read as UTF-8), "words: N" (distinct words), then each
// word in lexicon order as "WORD COUNT VALUE" (UTF-8). A file that is not
// indexable prints only its type line and "words: 0". Exit status 0; 1 when
// the file is missing or cannot be read, or its reading ends the run; 2 on
// bad usage.
CliCommand InspectCommand();

}  // namespace quor::app
