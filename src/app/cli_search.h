// `quor search`: loads an index and searches it as the Search Module's
// "Search" button does, printing the results box on stdout.
#pragma once

#include "app/cli.h"

namespace quor::app {

// Joins the WORD arguments into the text of the search box and searches the
// index under the top folder. stdout gets the results box (or, with
// --paths-only, one relative path per line); the label line, messages and
// progress go to stderr. Exit status 0 when the search ran (found or not),
// 1 on a refusal or failed load, 2 on bad usage.
CliCommand SearchCommand();

}  // namespace quor::app
