// Choices, "Citeste", other choices, then the runs: the data read may no
// longer fit the choices.
#include "fuzz_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  parvela::fuzz::runSession(data, size, parvela::fuzz::AfterRead::Choices);
  return 0;
}
