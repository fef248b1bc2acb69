// The subcommands of this build. Each part of the program adds its command
// here with one line, e.g. `table.Add(IndexCommand());` where IndexCommand()
// returns a CliCommand declared in that part's own header.
#include "app/cli.h"
#include "app/cli_expand.h"
#include "app/cli_files.h"
#include "app/cli_index.h"
#include "app/cli_inspect.h"
#include "app/cli_list.h"
#include "app/cli_search.h"

namespace quor::app {

CommandTable BuiltInCommands() {
  CommandTable table;
  table.Add(IndexCommand());
  table.Add(ListCommand());
  table.Add(InspectCommand());
  table.Add(ExpandCommand());
  table.Add(SearchCommand());
  table.Add(FilesCommand());
  return table;
}

}  // namespace quor::app
