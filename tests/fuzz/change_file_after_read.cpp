// Choices, "Citeste", then another program changes the file (bytes added,
// a byte changed, or only its time); the runs must write nothing.
#include "fuzz_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  parvela::fuzz::runSession(data, size, parvela::fuzz::AfterRead::File);
  return 0;
}
