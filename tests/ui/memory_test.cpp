// Memory the system refuses ends the action with an "Error" box; the
// program goes on.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ui_test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define PARVELA_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PARVELA_UNDER_ASAN 1
#endif
#endif

namespace parvela::test {
namespace {

class MemoryTest : public MainWindowTest {};

// A 3 GB data file (sparse) read under a 1 GB address-space limit, in a
// child process so that the limit stays there.
TEST_F(MemoryTest, DataFileLargerThanTheMemoryGivesAnError) {
#ifdef PARVELA_UNDER_ASAN
  GTEST_SKIP() << "an address-space limit and AddressSanitizer's shadow memory do not mix";
#else
  const auto path = dir_ / "mare.dat";
  writeBytes(path, "Mare\n2 1\n4 1\n1 3\n1 2\n");
  std::filesystem::resize_file(path, 3ull << 30);
  platform_.answers.push_back(path.string());
  ASSERT_TRUE(d().click(kIdSelect));
  ASSERT_TRUE(d().select(kIdMethodList, 1));

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    struct rlimit limit {1ull << 30, 1ull << 30};
    ::setrlimit(RLIMIT_AS, &limit);
    platform_.messages.clear();
    d().click(kIdRead);
    const bool ok = platform_.messages.size() == 1 && platform_.messages[0].caption == "Error" &&
                    platform_.messages[0].text == "Memorie insuficienta: fisierul de date nu incape in memorie." &&
                    !s().dataRead && !d().isEnabled(kIdSolve);
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the read aborted (signal " << WTERMSIG(status) << ")";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "no \"Error\" box, or the data counted as read";
#endif
}

}  // namespace
}  // namespace parvela::test
