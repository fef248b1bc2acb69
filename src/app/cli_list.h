// `quor list`: the Index Module's "List files" from the command line.
#pragma once

#include "app/cli.h"

namespace quor::app {

CliCommand ListCommand();

}  // namespace quor::app
