#include "app/cli_options.h"

#include <algorithm>
#include <cctype>
#include <ostream>
#include <sstream>

namespace quor::app {

namespace {

constexpr std::size_t kLineWidth = 79;

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

// "--type any|all|phrase", "--top DIR", "--yes".
std::string OptionWithValue(const CliOption& option) {
  std::string text = option.name;
  if (option.value.empty() && option.choices.empty()) return text;
  text += ' ';
  if (option.choices.empty()) return text + option.value;
  for (std::size_t i = 0; i < option.choices.size(); ++i) {
    if (i > 0) text += '|';
    text += option.choices[i];
  }
  return text;
}

bool TakesValue(const CliOption& option) {
  return !option.value.empty() || !option.choices.empty();
}

// One piece of the usage: "--top DIR", "[--include SUBDIR]...", "[--yes]".
std::string UsagePiece(const CliOption& option) {
  std::string piece = OptionWithValue(option);
  if (!option.required) piece = '[' + piece + ']';
  if (option.repeatable) piece += "...";
  return piece;
}

// Writes text with every line after the first indented by indent columns.
void WriteIndented(std::ostream& out, std::string_view text, std::size_t indent) {
  std::size_t start = 0;
  bool first = true;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    if (!first) out << '\n' << std::string(indent, ' ');
    out << text.substr(start, end - start);
    first = false;
    start = end + 1;
  }
  out << '\n';
}

// The words of text in lines no wider than kLineWidth: the first line
// starts at column, the others are indented by indent.
std::string Wrapped(std::string_view text, std::size_t column, std::size_t indent) {
  std::string lines;
  bool lineStart = true;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    const std::string_view word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    if (!lineStart && column + 1 + word.size() > kLineWidth) {
      lines += '\n' + std::string(indent, ' ');
      column = indent;
      lineStart = true;
    }
    if (!lineStart) {
      lines += ' ';
      ++column;
    }
    lines += word;
    column += word.size();
    lineStart = false;
  }
  return lines;
}

std::string UsageLines(const CliSyntax& syntax, std::string_view prefix) {
  std::ostringstream out;
  out << prefix;
  WriteIndented(out, UsageText(syntax, prefix.size()), prefix.size());
  return out.str();
}

}  // namespace

CliOption Flag(std::string name, std::string help) {
  CliOption option;
  option.name = std::move(name);
  option.help = std::move(help);
  return option;
}

CliOption Valued(std::string name, std::string value, std::string help) {
  CliOption option = Flag(std::move(name), std::move(help));
  option.value = std::move(value);
  return option;
}

const CliArgs::Entry* CliArgs::Find(std::string_view name) const {
  for (const Entry& entry : entries_) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

bool CliArgs::Given(std::string_view name) const {
  const Entry* entry = Find(name);
  return entry && entry->given;
}

const std::string& CliArgs::Value(std::string_view name) const {
  const Entry* entry = Find(name);
  if (!entry) return EmptyText();
  return entry->values.empty() ? entry->defaultValue : entry->values.back();
}

const std::vector<std::string>& CliArgs::Values(std::string_view name) const {
  static const std::vector<std::string> none;
  const Entry* entry = Find(name);
  return entry ? entry->values : none;
}

std::string UsageText(const CliSyntax& syntax, std::size_t prefixWidth) {
  std::vector<std::string> pieces;
  for (const CliOption& option : syntax.options) pieces.push_back(UsagePiece(option));
  if (!syntax.operands.empty()) pieces.push_back(syntax.operands);
  std::string text;
  std::size_t column = prefixWidth;
  for (const std::string& piece : pieces) {
    const bool lineStart = column == prefixWidth;
    if (!lineStart && column + 1 + piece.size() > kLineWidth) {
      text += '\n';
      column = prefixWidth;
    } else if (!lineStart) {
      text += ' ';
      ++column;
    }
    text += piece;
    column += piece.size();
  }
  return text;
}

std::string CommandHelp(const CliSyntax& syntax) {
  std::ostringstream out;
  out << UsageLines(syntax, "Usage: quor " + syntax.command + ' ');
  if (!syntax.summary.empty()) {
    std::string summary = syntax.summary;
    summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    out << '\n' << Wrapped(summary + '.', 0, 0) << '\n';
  }
  if (!syntax.details.empty()) out << '\n' << syntax.details << '\n';
  out << "\nOptions:\n";
  std::vector<std::pair<std::string, std::string>> rows;
  for (const CliOption& option : syntax.options) {
    std::string help = option.help;
    std::vector<std::string> notes;
    if (option.required) {
      notes.push_back(option.unless.empty() ? "required"
                                            : "required unless " + option.unless + " is given");
    }
    if (option.repeatable) notes.push_back("may be given more than once");
    if (!option.defaultValue.empty()) notes.push_back("default: " + option.defaultValue);
    for (std::size_t i = 0; i < notes.size(); ++i) {
      help += (i == 0 ? " (" : ", ") + notes[i];
    }
    if (!notes.empty()) help += ')';
    rows.emplace_back(OptionWithValue(option), help);
  }
  rows.emplace_back("--help", "shows this text");
  constexpr std::size_t kColumn = 24;
  for (const auto& [left, help] : rows) {
    out << "  " << left;
    if (2 + left.size() + 2 <= kColumn) {
      out << std::string(kColumn - 2 - left.size(), ' ');
    } else {
      out << '\n' << std::string(kColumn, ' ');
    }
    out << Wrapped(help, kColumn, kColumn) << '\n';
  }
  return out.str();
}

int UsageError(const CliSyntax& syntax, CliStreams& io, std::string_view problem) {
  io.err << "quor " << syntax.command << ": " << problem << '\n'
         << UsageLines(syntax, "Usage: quor " + syntax.command + ' ');
  return kExitUsage;
}

CliParse ParseCommandLine(const CliSyntax& syntax, const std::vector<std::string>& args,
                          CliStreams& io) {
  CliParse parse;
  CliArgs& parsed = parse.args;
  for (const CliOption& option : syntax.options) {
    parsed.entries_.push_back({option.name, {}, option.defaultValue, false});
  }
  const auto bad = [&](std::string_view problem) {
    parse.status = UsageError(syntax, io, problem);
    return parse;
  };

  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.operands_.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      io.out << CommandHelp(syntax);
      parse.status = kExitOk;
      return parse;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const auto known = std::find_if(syntax.options.begin(), syntax.options.end(),
                                    [&](const CliOption& o) { return o.name == name; });
    if (known == syntax.options.end()) return bad("unknown option '" + arg + "'");
    CliArgs::Entry& entry = parsed.entries_[known - syntax.options.begin()];
    if (!known->repeatable) entry.values.clear();
    entry.given = true;
    if (!TakesValue(*known)) {
      if (equals != std::string::npos) return bad(name + " takes no value");
      entry.values.emplace_back();
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return bad(name + " needs a value");
    }
    if (known->required && value.empty()) return bad(name + " must not be empty");
    if (!known->choices.empty() &&
        std::find(known->choices.begin(), known->choices.end(), value) == known->choices.end()) {
      return bad(name + " takes " + OptionWithValue(*known).substr(name.size() + 1) + ", not '" +
                 value + "'");
    }
    entry.values.push_back(std::move(value));
  }

  for (const CliOption& option : syntax.options) {
    const bool excused = !option.unless.empty() && parsed.Given(option.unless);
    if (!option.required || excused || parsed.Given(option.name)) continue;
    std::string problem = OptionWithValue(option);
    const auto other = std::find_if(syntax.options.begin(), syntax.options.end(),
                                    [&](const CliOption& o) { return o.name == option.unless; });
    if (other != syntax.options.end()) problem += " (or " + OptionWithValue(*other) + ")";
    return bad(problem + " is needed");
  }
  const std::vector<std::string>& operands = parsed.operands_;
  const bool emptyOperand =
      std::any_of(operands.begin(), operands.end(), [](const std::string& o) { return o.empty(); });
  if (operands.size() < syntax.minOperands || emptyOperand) {
    return bad(syntax.missingOperands.empty() ? syntax.operands + " is needed"
                                              : syntax.missingOperands);
  }
  if (operands.size() > syntax.maxOperands) {
    return bad(syntax.extraOperands.empty()
                   ? "unexpected argument '" + operands[syntax.maxOperands] + "'"
                   : syntax.extraOperands);
  }
  parse.run = true;
  return parse;
}

CliCommand MakeCliCommand(CliSyntax syntax,
                          std::function<int(const CliArgs& args, CliStreams& io)> run) {
  CliCommand command;
  command.name = syntax.command;
  // The top-level help indents the usage under "  quor NAME ".
  command.usage = UsageText(syntax, 8 + syntax.command.size());
  command.summary = syntax.summary;
  command.run = [syntax = std::move(syntax), run = std::move(run)](
                    const std::vector<std::string>& args, CliStreams& io) {
    const CliParse parse = ParseCommandLine(syntax, args, io);
    return parse.run ? run(parse.args, io) : parse.status;
  };
  return command;
}

}  // namespace quor::app
