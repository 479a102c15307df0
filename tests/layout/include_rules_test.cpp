// Every dependency points down: an #include "..." under src/ and app/ names
// a file of its own room, of a lower room, or of a room the table lets it
// use sideways.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The rooms, lowest first. A file belongs to the room of the longest
// prefix of its path (below src/, or app/) that the table names.
struct Room {
  const char* prefix;
  int level;
};
constexpr Room kRooms[] = {
    {"core/", 0},      {"io/", 1},        {"direct/", 2}, {"iterative/", 2}, {"condition/", 2},
    {"run/", 3},       {"analysis/", 4},  {"ui/core/", 5}, {"ui/qt/", 6},     {"app/", 7},
};
// Rooms of one level that may use each other one way: a method may use the
// direct methods' shared routines (the verification, the elimination
// kernels, the tiles), and nothing else sideways.
struct Sideways {
  const char* from;
  const char* to;
};
constexpr Sideways kSideways[] = {{"iterative/", "direct/"}, {"condition/", "direct/"}};

std::optional<Room> roomOf(const std::string& path) {
  std::optional<Room> best;
  std::size_t bestLength = 0;
  for (const Room& r : kRooms) {
    const std::string p = r.prefix;
    if (path.compare(0, p.size(), p) == 0 && p.size() > bestLength) {
      best = r;
      bestLength = p.size();
    }
  }
  return best;
}

bool sidewaysAllowed(const Room& from, const Room& to) {
  for (const Sideways& s : kSideways)
    if (std::string(from.prefix) == s.from && std::string(to.prefix) == s.to) return true;
  return false;
}

// Paths relative to src/ (app/ files as "app/...").
std::vector<std::pair<std::string, fs::path>> sourceFiles() {
  const fs::path root = PARVELA_SOURCE_DIR;
  std::vector<std::pair<std::string, fs::path>> files;
  for (const auto& [dir, prefix] : {std::pair{root / "src", std::string()}, {root / "app", std::string("app/")}}) {
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
      if (!e.is_regular_file()) continue;
      const std::string ext = e.path().extension().string();
      if (ext != ".h" && ext != ".cpp" && ext != ".inc") continue;
      files.emplace_back(prefix + fs::relative(e.path(), dir).generic_string(), e.path());
    }
  }
  return files;
}

TEST(IncludeRules, EveryIncludePointsDownOrToAnAllowedNeighbour) {
  const std::regex include(R"re(^\s*#\s*include\s+"([^"]+)")re");
  std::vector<std::string> faults;
  std::size_t checked = 0;
  for (const auto& [name, path] : sourceFiles()) {
    const std::optional<Room> from = roomOf(name);
    if (!from) {
      faults.push_back(name + ": in no room");
      continue;
    }
    std::ifstream in(path);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      std::smatch m;
      if (!std::regex_search(line, m, include)) continue;
      const std::string target = m[1];
      // A name without a folder is a neighbour in the same folder.
      if (target.find('/') == std::string::npos) continue;
      ++checked;
      const std::optional<Room> to = roomOf(target);
      const std::string where = name + ":" + std::to_string(number) + ": " + target;
      if (!to) {
        faults.push_back(where + " (in no room)");
      } else if (to->level > from->level) {
        faults.push_back(where + " (points up)");
      } else if (to->level == from->level && std::string(to->prefix) != from->prefix &&
                 !sidewaysAllowed(*from, *to)) {
        faults.push_back(where + " (sideways)");
      }
    }
  }
  EXPECT_GT(checked, 100u) << "the sources were not found";
  std::string list;
  for (const std::string& f : faults) list += "\n  " + f;
  EXPECT_TRUE(faults.empty()) << faults.size() << " includes break the rooms' order:" << list;
}

// The table itself: a room of a level may only be used from that level up.
TEST(IncludeRules, TheRuleSeesAFaultInEachDirection) {
  EXPECT_EQ(roomOf("ui/core/controls.cpp")->level, 5);
  EXPECT_EQ(roomOf("ui/qt/tools/screenshot.cpp")->level, 6);
  EXPECT_FALSE(roomOf("tests/x.cpp"));
  EXPECT_TRUE(sidewaysAllowed(*roomOf("condition/elim2.cpp"), *roomOf("direct/elim_fast.h")));
  EXPECT_FALSE(sidewaysAllowed(*roomOf("direct/lu.cpp"), *roomOf("iterative/sweeps.h")));
}

}  // namespace
