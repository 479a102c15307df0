// Large buffers (matrices, data file texts, reports) are touched page by
// page the first time they are written; where the system can back them
// with large pages, that costs a fraction of the page faults. Purely a
// speed hint: contents and results never depend on it.
#pragma once

#include <cstddef>
#include <vector>

namespace parvela {

// Asks that the whole large pages inside [p, p + bytes) be backed by large
// pages when they are first touched. Does nothing for small ranges or where
// the system has no such hint.
void preferLargePages(void* p, std::size_t bytes);

// Reserves room for count floats in an empty v, in pages not used before
// (large ones where the hint above takes): what the problem's matrices are
// made with. A large block may come from memory freed earlier (glibc serves
// it so once a larger block, a data file's text, has been freed); its pages
// are then small ones already touched, which the hint cannot change, and a
// sweep that reads a line of every column waits on address translation (a
// Gauss-Seidel sweep of order 2000 took 40 % longer). Those pages are given
// back first. A v that is not empty is only reserved.
void reserveFresh(std::vector<float>& v, std::size_t count);

}  // namespace parvela
