// Choices, "Citeste", one or two runs.
#include "fuzz_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  parvela::fuzz::runSession(data, size, parvela::fuzz::AfterRead::Nothing);
  return 0;
}
