// The batch front end's command line: usage errors never crash and exit 2.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

struct Result {
  int status;
  std::string output;  // standard output and standard error together
};

Result batch(const std::string& args) {
  std::string cmd = std::string("'") + PARVELA_BATCH + "' " + args + " 2>&1";
  Result r{-1, {}};
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, got);
  int ws = ::pclose(p);
  r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
  return r;
}

TEST(BatchCommandLine, HelpPrintsUsage) {
  Result r = batch("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("Usage: parvela-batch [options] DATAFILE"), std::string::npos);
  EXPECT_NE(r.output.find("--runs N"), std::string::npos);
}

TEST(BatchCommandLine, UsageErrorsExitWithStatusTwo) {
  const char* bad[] = {
      "",                                   // no data file
      "--bogus x.dat",                      // unknown option
      "--method Jacobi x.dat",              // not in the method list
      "--method gauss x.dat",               // names are case-sensitive
      "--problem solve x.dat",
      "--norm 5 x.dat",
      "--norm 0 x.dat",
      "--verify all x.dat",
      "--generator Wilkinson x.dat",
      "--runs -1 x.dat",
      "--runs two x.dat",
      "--eps",                              // value missing
      "a.dat b.dat",                        // two data files
  };
  for (const char* args : bad) {
    Result r = batch(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.output.find("Usage:"), std::string::npos) << args;
  }
}

TEST(BatchCommandLine, MissingDataFileIsAnError) {
  Result r = batch("--method Gauss /nonexistent/parvela/none.dat");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("no such data file"), std::string::npos);
}

}  // namespace
