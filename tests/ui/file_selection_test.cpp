#include "ui/core/file_selection.h"

#include "support/write_faults.h"
#include "ui_test_support.h"

namespace parvela::test {
namespace {

using FileSelectionTest = MainWindowTest;

TEST_F(FileSelectionTest, OpenFileRequestOfBothKinds) {
  std::string name;
  int result = 7;
  GETFILE(name, result, "Selecteaza Fisierul", 1);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(name, "") << "a cancelled dialog leaves the name alone";
  ASSERT_EQ(platform_.requests.size(), 1u);
  const OpenFileRequest& r = platform_.requests[0];
  EXPECT_EQ(r.title, "Selecteaza Fisierul");
  ASSERT_EQ(r.filters.size(), 3u);
  EXPECT_EQ(r.filters[0].description, "Data Files (*.dat)");
  EXPECT_EQ(r.filters[0].pattern, "*.dat");
  EXPECT_EQ(r.filters[1].description, "Text Files (*.txt)");
  EXPECT_EQ(r.filters[1].pattern, "*.txt");
  EXPECT_EQ(r.filters[2].description, "All files (*.*)");
  EXPECT_EQ(r.filters[2].pattern, "*.*");
  EXPECT_EQ(r.filterIndex, 1);
  EXPECT_EQ(r.defaultExtension, "dat");
  ASSERT_TRUE(r.initialDirectory.has_value());
  EXPECT_EQ(*r.initialDirectory, std::filesystem::current_path().string());
  EXPECT_EQ(r.initialName, "");
  EXPECT_TRUE(r.pathMustExist);
  EXPECT_TRUE(r.createPrompt);

  name = "Input File Structure.txt";
  platform_.answers.push_back((dir_ / "chosen.txt").string());
  GETFILE(name, result, "T", 0);
  EXPECT_NE(result, 0);
  EXPECT_EQ(name, (dir_ / "chosen.txt").string());
  const OpenFileRequest& t = platform_.requests[1];
  EXPECT_EQ(t.filters[0].description, "Text Files (*.txt)");
  EXPECT_EQ(t.filters[1].description, "Data Files (*.dat)");
  EXPECT_EQ(t.filters[2].description, "All files (*.*)");
  EXPECT_EQ(t.defaultExtension, "txt");
  EXPECT_EQ(t.initialName, "Input File Structure.txt");

  // A path that does not fit the 260-character name is a failed dialog.
  platform_.answers.push_back("/" + std::string(260, 'x'));
  GETFILE(name, result, "T", 0);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(name, (dir_ / "chosen.txt").string());
}

TEST_F(FileSelectionTest, SelectionOpensTheFileAndEnablesItsButtons) {
  const std::string path = (dir_ / "proba.dat").string();
  writeBytes(path, "Titlu\r\n2 1\r\n");
  platform_.answers.push_back(path);
  ASSERT_TRUE(d().click(1020));
  EXPECT_TRUE(platform_.messages.empty());
  EXPECT_EQ(s().dataFileName, path);
  EXPECT_EQ(d().text(1025), path);
  EXPECT_TRUE(InputDataFile().selected());
  EXPECT_EQ(InputDataFile().path(), path);
  EXPECT_TRUE(d().isEnabled(1021));
  EXPECT_TRUE(d().isEnabled(1024));
  EXPECT_EQ(readBytes(path), "Titlu\r\n2 1\r\n") << "selecting does not change the file";

  // The next selection offers the last path.
  ASSERT_TRUE(d().click(1020));
  EXPECT_EQ(platform_.requests.back().initialName, path);

  ASSERT_TRUE(d().click(1021));
  ASSERT_EQ(platform_.viewed.size(), 1u);
  EXPECT_EQ(platform_.viewed[0], path) << "Deschide shows the last path";
}

TEST_F(FileSelectionTest, CancelledFirstSelection) {
  ASSERT_TRUE(d().click(1020));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, "Can not create \"Result File\".");
  EXPECT_EQ(platform_.messages[0].caption, "Error");
  EXPECT_EQ(platform_.messages[0].icon, IconKind::Error);
  EXPECT_FALSE(InputDataFile().selected());
  EXPECT_FALSE(d().isEnabled(1021));
  EXPECT_FALSE(d().isEnabled(1024));
  EXPECT_EQ(d().text(1025), "");
  // "Deschide" with no name known does nothing.
  SUB_OPEN(d(), 1021, kEventChanged);
  EXPECT_TRUE(platform_.viewed.empty());
}

TEST_F(FileSelectionTest, EverySelectionNeedsANewRead) {
  const std::string first = (dir_ / "first.dat").string();
  const std::string second = (dir_ / "second.dat").string();
  writeBytes(second, "Alt titlu\n3 1\n");
  platform_.answers.push_back(first);
  ASSERT_TRUE(d().click(1020));
  ASSERT_TRUE(d().select(1019, 1));
  s().dataRead = true;  // as after a successful "Citeste"
  d().DLG_SET_ENABLED(30002, ENABLE_REZOLVA());
  d().DLG_SET_TEXT(1027, "3  ");
  ASSERT_TRUE(d().isEnabled(30002));

  // A new file: the data of the old one must not be written into it.
  platform_.answers.push_back(second);
  ASSERT_TRUE(d().click(1020));
  EXPECT_FALSE(s().dataRead);
  EXPECT_FALSE(d().isEnabled(30002));
  EXPECT_EQ(d().text(1027), "");
  EXPECT_EQ(InputDataFile().path(), second);
  EXPECT_TRUE(d().isEnabled(1024));

  // A cancelled selection: no file at all, and still no run.
  s().dataRead = true;
  d().DLG_SET_ENABLED(30002, true);
  ASSERT_TRUE(d().click(1020));
  EXPECT_FALSE(s().dataRead);
  EXPECT_FALSE(d().isEnabled(30002));
  EXPECT_FALSE(InputDataFile().selected());
  EXPECT_TRUE(d().isEnabled(1021)) << "the buttons keep their state";
  EXPECT_TRUE(d().isEnabled(1024));
  EXPECT_EQ(platform_.messages.back().text, "Can not create \"Result File\".");
  // "Deschide" still shows the last path.
  ASSERT_TRUE(d().click(1021));
  EXPECT_EQ(platform_.viewed.back(), second);
  EXPECT_EQ(readBytes(second), "Alt titlu\n3 1\n");
}

TEST_F(FileSelectionTest, FileThatCannotBeOpened) {
  const std::string bad = (dir_ / "no-such-dir" / "x.dat").string();
  platform_.answers.push_back(bad);
  ASSERT_TRUE(d().click(1020));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, "Fisierul nu poate fi deschis:\n" + bad);
  EXPECT_EQ(platform_.messages[0].caption, "Error");
  EXPECT_EQ(platform_.messages[0].icon, IconKind::Error);
  EXPECT_FALSE(InputDataFile().selected());
  EXPECT_FALSE(d().isEnabled(1024));
  EXPECT_FALSE(d().isEnabled(1021));
  EXPECT_FALSE(std::filesystem::exists(bad));
}

// A program killed half way through a report written in place (a file
// with a second name): the next selection puts the file back and says so.
TEST_F(FileSelectionTest, AnInterruptedWriteIsRolledBackAtTheNextSelection) {
  const std::string data = "Sistem\n1 1\n2\n4\n", path = (dir_ / "s.dat").string();
  const std::string old = data + "\nProblema: Sistem liniar\n" + std::string(300, 'o') + "\n";
  writeBytes(path, old);
  std::filesystem::create_hard_link(path, dir_ / "other.dat");
  // The first call at which a kill leaves the file changed.
  for (long k = 0; readBytes(path) == old; ++k) {
    ASSERT_LT(k, 1000);
    const int status = testing::inChild([&] {
      testing::FaultLayer kill;
      kill.maxChunk = 8;
      kill.onCall = [k](long call) {
        if (call == k) ::raise(SIGKILL);
      };
      DataFile f;
      if (!f.select(path) || !f.load()) return 2;
      f.markDataEnd(data.size());
      testing::InstalledLayer installed(&kill);
      f.writeReport("\nProblema: Sistem liniar\n x(1) =   2.000000\n");
      return 0;
    });
    ASSERT_EQ(status, -SIGKILL);
  }
  platform_.answers.push_back(path);
  ASSERT_TRUE(d().click(kIdSelect));
  EXPECT_EQ(readBytes(path), old);
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text,
            "Scrierea intrerupta a fisierului a fost anulata:\n" + path + "\nFisierul este din nou cel dinaintea ei.");
  EXPECT_EQ(platform_.messages[0].caption, "Info");
}

}  // namespace
}  // namespace parvela::test
