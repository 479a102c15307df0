#include "fuzz_session.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform.h"
#include "core/problem_state.h"
#include "io/data_file.h"
#include "io/fortran_io.h"
#include "ui/core/controls.h"
#include "ui/core/model_dialog.h"
#include "ui/core/templates.h"

namespace parvela::fuzz {
namespace {

// Message boxes are dropped; the file dialog answers with the data file.
class QuietPlatform final : public Platform {
 public:
  std::string file;
  void messageBox(std::string_view, std::string_view, IconKind) override {}
  void standardOutput(std::string_view) override {}
  bool question(std::string_view, std::string_view) override { return true; }
  std::optional<std::string> openFileDialog(const OpenFileRequest&) override { return file; }
  void viewFile(const std::string&) override {}
  std::optional<std::string> searchProgramPath(const std::string&) override { return std::nullopt; }
};

// A data file in memory-backed storage where there is some, so that the
// report writes (each flushed to the disk) stay cheap.
std::string scratchPath() {
  const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/parvela-fuzz-" + std::to_string(::getpid()) + ".dat";
}

std::string readData(const std::string& path) {
  std::string bytes;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return bytes;
  char chunk[4096];
  for (ssize_t r; (r = ::read(fd, chunk, sizeof chunk)) > 0;) bytes.append(chunk, static_cast<std::size_t>(r));
  ::close(fd);
  return bytes;
}

bool writeData(const std::string& path, const std::uint8_t* data, std::size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < size) {
    const ssize_t w = ::write(fd, data + done, size - done);
    if (w <= 0) break;
    done += static_cast<std::size_t>(w);
  }
  ::close(fd);
  return done == size;
}

// Changes the file the way another program might after the read: adds the
// choice bytes at its end, changes one byte, or only moves its time.
void changeFile(const std::string& path, const std::uint8_t* b) {
  std::string bytes = readData(path);
  switch (b[0] % 3) {
    case 0:
      bytes.append(reinterpret_cast<const char*>(b), kChoiceBytes);
      break;
    case 1:
      if (bytes.empty()) bytes = "x";
      else bytes[b[1] % bytes.size()] ^= static_cast<char>(1 + b[2] % 255);
      break;
    default: {
      const timeval later[2] = {{2000000000 + b[1], 0}, {2000000000 + b[1], 0}};
      ::utimes(path.c_str(), later);
      return;
    }
  }
  writeData(path, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// Sizes the read would allocate for: n, nb and (generated) nc, read as the
// reader reads them. False when the arrays would be too large for a quick
// run; such inputs are not read at all.
bool smallEnough(std::string_view text, bool generated, std::int64_t& n, std::int64_t& nb) {
  ListReader in(text);
  std::string title;
  if (in.readLine(title, 100) != ListReader::Status::Ok) return true;  // a read error follows
  std::int32_t sizes[2] = {0, 0};
  if (in.readIntegers(sizes) != ListReader::Status::Ok) return true;
  n = sizes[0];
  nb = sizes[1];
  if (n > 200 || nb > 400) return false;
  if (generated && n >= 1) {
    std::int32_t nc[1] = {0};
    if (in.readIntegers(nc) == ListReader::Status::Ok && nc[0] > 100000) return false;
  }
  return true;
}

constexpr std::array<const char*, 8> kEpsTexts = {"0.0001", "1e-6", "0", "abc", "1E-30", "0.5", "-1e-3", "NaN"};
constexpr std::array<const char*, 8> kNlimTexts = {"100", "1", "0", "7", "250", "x", "2.5", "-3"};
constexpr std::array<const char*, 8> kOmegaTexts = {"1.2", "1", "0", "1.9", "0.5", "2.5", "q", "-1"};

// The clicks of one set of choices, from four bytes. Clicks on disabled
// controls do nothing, as in the window.
void makeChoices(ModelDialog& d, const std::uint8_t* b) {
  static constexpr int kProblem[3] = {kIdSystem, kIdInverse, kIdConditionNumber};
  d.click(kProblem[(b[0] & 3) % 3]);
  d.click((b[0] & 4) ? kIdSymmetric : kIdGeneral);
  d.click((b[0] & 8) ? kIdGenerated : kIdFromFile);
  d.click((b[0] & 16) ? kIdEachEquation : kIdMaxDifferences);
  d.select(kIdGeneratorList, b[1] & 7);
  d.select(kIdMethodList, (b[1] >> 3) % 6);
  d.select(kIdNormList, (b[1] >> 6) + ((b[0] & 32) ? 1 : 0));
  if (b[2] & 1) d.click(kIdPrintMatrix);
  if (b[2] & 2) d.click(kIdDeterminant);
  if (b[2] & 4) d.click(kIdIterations);
  if (b[2] & 8) d.click(kIdInvertElements);
  d.typeText(kIdEps, kEpsTexts[b[3] & 7]);
  d.typeText(kIdNlim, kNlimTexts[(b[3] >> 3) & 7]);
  d.typeText(kIdOmega, kOmegaTexts[(b[2] >> 4) & 7]);
}

}  // namespace

void runSession(const std::uint8_t* data, std::size_t size, AfterRead afterRead) {
  if (size < kChoiceBytes) return;
  static QuietPlatform plat;
  static const std::string path = scratchPath();
  setPlatform(&plat);
  plat.file = path;

  const std::uint8_t* choices = data;
  const std::uint8_t* file = data + kChoiceBytes;
  const std::size_t fileSize = size - kChoiceBytes;
  const std::string_view text(reinterpret_cast<const char*>(file), fileSize);
  std::int64_t n = 0, nb = 0;
  if (!smallEnough(text, (choices[0] & 8) != 0, n, nb)) return;
  if (!writeData(path, file, fileSize)) return;

  // A fresh program: every session starts from the start-up state.
  problem() = ProblemState{};
  InputDataFile().deselect();
  INITIALIZEDATA();
  ModelDialog dialog(kMainDialog);
  registerMainCallbacks(dialog);
  INITIALIZECONTROLS(dialog);

  makeChoices(dialog, choices);
  dialog.click(kIdSelect);
  dialog.click(kIdRead);
  if (afterRead == AfterRead::Choices) makeChoices(dialog, choices + 4);
  std::string changed;
  if (afterRead == AfterRead::File && problem().dataRead) {
    changeFile(path, choices + 4);
    changed = readData(path);
  }

  // Runs only on small problems: the drivers are cubic in n.
  const ProblemState& s = problem();
  if (s.dataRead && s.n <= 16 && s.nb <= 16) {
    const int runs = 1 + (choices[2] >> 7);
    for (int r = 0; r < runs; ++r)
      if (dialog.isEnabled(kIdSolve)) dialog.click(kIdSolve);
    // A file changed since the read takes no report.
    if (afterRead == AfterRead::File && readData(path) != changed) std::abort();
  }
  ::unlink(path.c_str());
  setPlatform(nullptr);
}

}  // namespace parvela::fuzz
