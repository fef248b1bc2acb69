#include "app/cli_options.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quor::app {
namespace {

CliSyntax SearchLike() {
  CliSyntax syntax;
  syntax.command = "find";
  syntax.summary = "finds words";
  syntax.options = {
      Valued("--index", "FILE", "the index file").Required(),
      Valued("--type", "KIND", "how the words combine")
          .Choices({"any", "all", "phrase"})
          .Default("any"),
      Valued("--include", "SUBDIR", "a subfolder to walk").Repeatable(),
      Flag("--yes", "answers questions Yes"),
  };
  syntax.operands = "WORD...";
  syntax.minOperands = 1;
  syntax.maxOperands = kAnyNumber;
  return syntax;
}

struct Parsed {
  CliParse parse;
  std::string out;
  std::string err;
};

Parsed Parse(const CliSyntax& syntax, const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  CliStreams io{out, err};
  Parsed run{ParseCommandLine(syntax, args, io), {}, {}};
  run.out = out.str();
  run.err = err.str();
  return run;
}

TEST(CliOptions, ValuesFlagsRepeatsDefaultsAndOperands) {
  const Parsed run = Parse(SearchLike(), {"--include", "a", "--index=x_index.quor", "--yes", "two",
                                          "--include", "b c", "--", "--not-an-option", "-"});
  ASSERT_TRUE(run.parse.run) << run.err;
  const CliArgs& args = run.parse.args;
  EXPECT_EQ(args.Value("--index"), "x_index.quor");
  EXPECT_EQ(args.Values("--include"), (std::vector<std::string>{"a", "b c"}));
  EXPECT_TRUE(args.Given("--yes"));
  EXPECT_FALSE(args.Given("--type"));
  EXPECT_EQ(args.Value("--type"), "any");
  EXPECT_EQ(args.Operands(), (std::vector<std::string>{"two", "--not-an-option", "-"}));
  EXPECT_EQ(run.out + run.err, "");

  // A value that starts with a dash is still the value; the last of a
  // single-valued option counts.
  const Parsed again =
      Parse(SearchLike(), {"--index", "-odd", "--type", "all", "--type", "phrase", "w"});
  ASSERT_TRUE(again.parse.run) << again.err;
  EXPECT_EQ(again.parse.args.Value("--index"), "-odd");
  EXPECT_EQ(again.parse.args.Values("--type"), (std::vector<std::string>{"phrase"}));
}

TEST(CliOptions, BadUsageNamesTheProblemAndShowsTheUsage) {
  struct Row {
    std::vector<std::string> args;
    const char* problem;
  };
  const Row rows[] = {
      {{"--index", "i", "--frob", "w"}, "unknown option '--frob'"},
      {{"w", "--index"}, "--index needs a value"},
      {{"--index", "i", "--type", "some", "w"}, "--type takes any|all|phrase, not 'some'"},
      {{"--index", "i", "--yes=no", "w"}, "--yes takes no value"},
      {{"w"}, "--index FILE is needed"},
      {{"--index", "", "w"}, "--index must not be empty"},
      {{"--index=", "w"}, "--index must not be empty"},
      {{"--index", "i"}, "WORD... is needed"},
      {{"--index", "i", ""}, "WORD... is needed"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.problem);
    const Parsed run = Parse(SearchLike(), row.args);
    EXPECT_FALSE(run.parse.run);
    EXPECT_EQ(run.parse.status, kExitUsage);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              std::string("quor find: ") + row.problem +
                  "\nUsage: quor find --index FILE [--type any|all|phrase] [--include SUBDIR]...\n"
                  "                 [--yes] WORD...\n");
  }
}

TEST(CliOptions, OperandCountsAndTheirMessages) {
  CliSyntax syntax;
  syntax.command = "inspect";
  syntax.operands = "FILE";
  syntax.minOperands = syntax.maxOperands = 1;
  EXPECT_NE(Parse(syntax, {"a", "b"}).err.find("unexpected argument 'b'"), std::string::npos);
  syntax.extraOperands = "one FILE only";
  EXPECT_NE(Parse(syntax, {"a", "b"}).err.find("quor inspect: one FILE only\n"), std::string::npos);
  EXPECT_NE(Parse(syntax, {}).err.find("quor inspect: FILE is needed\n"), std::string::npos);
  EXPECT_TRUE(Parse(syntax, {"a"}).parse.run);
}

TEST(CliOptions, HelpOfACommandMarksRequiredRepeatedAndDefaults) {
  const Parsed run = Parse(SearchLike(), {"--frob-not-reached-after-help", "--help"});
  // An unknown option before --help is bad usage; --help first shows the help.
  EXPECT_EQ(run.parse.status, kExitUsage);
  const Parsed help = Parse(SearchLike(), {"--help", "--frob"});
  EXPECT_FALSE(help.parse.run);
  EXPECT_EQ(help.parse.status, kExitOk);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out,
            "Usage: quor find --index FILE [--type any|all|phrase] [--include SUBDIR]...\n"
            "                 [--yes] WORD...\n"
            "\n"
            "Finds words.\n"
            "\n"
            "Options:\n"
            "  --index FILE          the index file (required)\n"
            "  --type any|all|phrase\n"
            "                        how the words combine (default: any)\n"
            "  --include SUBDIR      a subfolder to walk (may be given more than once)\n"
            "  --yes                 answers questions Yes\n"
            "  --help                shows this text\n");
}

TEST(CliOptions, OptionRequiredUnlessAnotherIsGivenNamesBoth) {
  CliSyntax syntax;
  syntax.command = "list";
  syntax.options = {Valued("--top", "DIR", "the top folder").RequiredUnless("--settings"),
                    Valued("--settings", "FILE", "a settings file")};
  EXPECT_EQ(Parse(syntax, {}).err.rfind("quor list: --top DIR (or --settings FILE) is needed\n", 0),
            0u);
  EXPECT_TRUE(Parse(syntax, {"--settings", "s"}).parse.run);
  EXPECT_TRUE(Parse(syntax, {"--top", "t"}).parse.run);
  EXPECT_NE(
      Parse(syntax, {"--help"}).out.find("the top folder (required unless --settings is given)\n"),
      std::string::npos);
}

TEST(CliOptions, CommandFromItsSyntaxRunsOnlyOnGoodUsage) {
  int runs = 0;
  const CliCommand command = MakeCliCommand(SearchLike(), [&](const CliArgs& args, CliStreams&) {
    ++runs;
    return args.Operands().size() == 2 ? kExitOk : kExitFailed;
  });
  EXPECT_EQ(command.name, "find");
  EXPECT_EQ(command.usage,
            "--index FILE [--type any|all|phrase] [--include SUBDIR]... [--yes]\nWORD...");
  std::ostringstream out;
  std::ostringstream err;
  CliStreams io{out, err};
  EXPECT_EQ(command.run({"--index", "i", "a", "b"}, io), kExitOk);
  EXPECT_EQ(command.run({"--index", "i", "a"}, io), kExitFailed);
  EXPECT_EQ(command.run({"--help"}, io), kExitOk);
  EXPECT_EQ(command.run({"a"}, io), kExitUsage);
  EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace quor::app
