// Large buffers (matrices, data file texts, reports) are touched page by
// page the first time they are written; where the system can back them
// with large pages, that costs a fraction of the page faults. Purely a
// speed hint: contents and results never depend on it.
#pragma once

#include <cstddef>

namespace parvela {

// Asks that the whole large pages inside [p, p + bytes) be backed by large
// pages when they are first touched. Does nothing for small ranges or where
// the system has no such hint.
void preferLargePages(void* p, std::size_t bytes);

}  // namespace parvela
