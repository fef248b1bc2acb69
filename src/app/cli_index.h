// `quor index`: the Index Module's "Create index file" from the command line.
#pragma once

#include "app/cli.h"

namespace quor::app {

CliCommand IndexCommand();

}  // namespace quor::app
