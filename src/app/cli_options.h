// The option parser every `quor` command uses. (What a command prints of the
// program's text goes through TerminalText, common/encoding.h, which this
// header includes.)
//
// A command declares its syntax (options with or without a value, repeatable
// or required ones, defaults, the operands after the options) and gets a
// CliCommand whose usage line and `quor COMMAND --help` text are made from
// it. Bad usage is reported the same way by every command:
//   quor COMMAND: PROBLEM
//   Usage: quor COMMAND USAGE
// on stderr, with exit status kExitUsage.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cli.h"
#include "common/encoding.h"

namespace quor::app {

struct CliOption {
  std::string name;                  // "--top"
  std::string value;                 // placeholder of its value ("DIR"); empty for a flag
  std::string help;                  // one line for `quor COMMAND --help`
  bool required = false;             // bad usage when missing or empty; shown without brackets
  std::string unless;                // a required option that may be left out when this is given
  bool repeatable = false;           // every value is kept; otherwise the last one counts
  std::string defaultValue;          // what CliArgs::Value gives when it is not given
  std::vector<std::string> choices;  // when set, the only values accepted

  // Modifiers for a declaration such as Valued("--top", "DIR", "...").Required().
  CliOption& Required() {
    required = true;
    return *this;
  }
  // Required, except when the option other is given (which may supply it).
  CliOption& RequiredUnless(std::string other) {
    required = true;
    unless = std::move(other);
    return *this;
  }
  CliOption& Repeatable() {
    repeatable = true;
    return *this;
  }
  CliOption& Default(std::string value) {
    defaultValue = std::move(value);
    return *this;
  }
  CliOption& Choices(std::vector<std::string> values) {
    choices = std::move(values);
    return *this;
  }
};

// An option without a value ("--yes").
CliOption Flag(std::string name, std::string help);
// An option with a value ("--top DIR").
CliOption Valued(std::string name, std::string value, std::string help);

inline constexpr std::size_t kAnyNumber = std::numeric_limits<std::size_t>::max();

struct CliSyntax {
  std::string command;  // "expand"
  std::string summary;  // one line for `quor --help`
  std::vector<CliOption> options;
  std::string operands;  // the arguments after the options ("FILE", "WORD..."), for the usage
  std::size_t minOperands = 0;
  std::size_t maxOperands = 0;  // kAnyNumber: no limit
  // The problem reported for too few (or empty) operands; default
  // "<operands> is needed".
  std::string missingOperands;
  // The problem reported for too many; default "unexpected argument 'X'".
  std::string extraOperands;
  std::string details;  // paragraph after the summary in `quor COMMAND --help`
};

struct CliParse;

// The arguments of one run of a command, as parsed against its syntax.
class CliArgs {
 public:
  // True when the option was given.
  bool Given(std::string_view name) const;
  // The last value given, else the option's default (empty for an unknown name).
  const std::string& Value(std::string_view name) const;
  // Every value given, in order (empty when none).
  const std::vector<std::string>& Values(std::string_view name) const;
  // The arguments that are not options, in order.
  const std::vector<std::string>& Operands() const { return operands_; }

 private:
  friend CliParse ParseCommandLine(const CliSyntax& syntax, const std::vector<std::string>& args,
                                   CliStreams& io);
  struct Entry {
    std::string name;
    std::vector<std::string> values;  // a flag holds one empty value per time given
    std::string defaultValue;
    bool given = false;
  };
  const Entry* Find(std::string_view name) const;
  std::vector<Entry> entries_;
  std::vector<std::string> operands_;
};

struct CliParse {
  CliArgs args;          // for a run
  bool run = false;      // true: run the command with args
  int status = kExitOk;  // otherwise the command's exit status (kExitOk after --help)
};

// Parses args against syntax. "--name VALUE" and "--name=VALUE" give a
// value; "--" ends the options; "-" alone is an operand. --help (or -h)
// writes the command's help to io.out. Bad usage (unknown option, missing
// value, a value not among the choices, a required option missing or given
// an empty value, wrong operands) is reported on io.err.
CliParse ParseCommandLine(const CliSyntax& syntax, const std::vector<std::string>& args,
                          CliStreams& io);

// Reports a problem the command found in otherwise well-formed arguments as
// bad usage; returns kExitUsage.
int UsageError(const CliSyntax& syntax, CliStreams& io, std::string_view problem);

// The usage of a command after its name ("[--yes] FILE"), broken into lines
// so that, after a prefix of prefixWidth columns, none is wider than 79.
std::string UsageText(const CliSyntax& syntax, std::size_t prefixWidth);

// `quor COMMAND --help`.
std::string CommandHelp(const CliSyntax& syntax);

// A command of the table that parses its arguments against syntax and then
// calls run; --help and bad usage never reach run.
CliCommand MakeCliCommand(CliSyntax syntax,
                          std::function<int(const CliArgs& args, CliStreams& io)> run);

}  // namespace quor::app
