// One user session driven from fuzzed bytes, as the batch front end drives
// the window: the first bytes make the choices, the rest is the data file;
// "Selecteaza", "Citeste", then one or two presses of "REZOLVA !" when the
// problem is small enough to run quickly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace parvela::fuzz {

// Bytes taken from the front of the input for the choices.
constexpr std::size_t kChoiceBytes = 8;

// What happens between the read and the runs.
enum class AfterRead {
  Nothing,
  Choices,  // the choices are made once more from further bytes
  File,     // the file is changed (bytes added, one byte changed, or only its
            // time); no run may then write anything
};

// Runs one session.
void runSession(const std::uint8_t* data, std::size_t size, AfterRead afterRead);

}  // namespace parvela::fuzz
