// The window program's command line.
#include <gtest/gtest.h>

#include "ui/core/window_arguments.h"

namespace parvela {
namespace {

using Action = WindowArguments::Action;

TEST(WindowArguments, FileHelpVersionAndTheEndOfOptions) {
  EXPECT_EQ(parseWindowArguments({}).action, Action::Run);
  EXPECT_FALSE(parseWindowArguments({}).file);

  WindowArguments a = parseWindowArguments({"exercitiu.dat"});
  EXPECT_EQ(a.action, Action::Run);
  EXPECT_EQ(a.file, "exercitiu.dat");

  // Help and version win over a file and over a bad option before them.
  EXPECT_EQ(parseWindowArguments({"x.dat", "--help"}).action, Action::Help);
  EXPECT_EQ(parseWindowArguments({"-h"}).action, Action::Help);
  EXPECT_EQ(parseWindowArguments({"-platform", "offscreen", "--version"}).action, Action::Version);

  // After "--" everything is a file name.
  a = parseWindowArguments({"--", "--help"});
  EXPECT_EQ(a.action, Action::Run);
  EXPECT_EQ(a.file, "--help");
  EXPECT_EQ(parseWindowArguments({"--", "-x.dat"}).file, "-x.dat");
  // A lone "-" is a name, as for other programs.
  EXPECT_EQ(parseWindowArguments({"-"}).file, "-");
}

TEST(WindowArguments, Errors) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--bogus"}, {"-x", "a.dat"}, {"a.dat", "b.dat"}, {""}, {"--help=yes"}}) {
    const WindowArguments a = parseWindowArguments(args);
    EXPECT_EQ(a.action, Action::Error) << args.front();
    EXPECT_FALSE(a.error.empty());
  }
  EXPECT_EQ(parseWindowArguments({"a.dat", "b.dat"}).error, "one data file at most");
  EXPECT_EQ(parseWindowArguments({"--bogus"}).error, "unknown option --bogus");
}

TEST(WindowArguments, HelpNamesEveryOption) {
  const std::string help = kWindowHelp;
  for (const char* option : {"--help", "--version", "[FILE]", "--"}) EXPECT_NE(help.find(option), std::string::npos);
  EXPECT_EQ(windowVersionText("2.7"), "parvela (Parvela) 2.7\n");
}

}  // namespace
}  // namespace parvela
