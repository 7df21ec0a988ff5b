#pragma once

#include <cstddef>

// Asks the system to back the whole 2 MiB pages inside [data, data + size) with huge pages.
// Touching fresh memory costs one page fault per 4 KiB page otherwise, which dominates the
// first parse of a large index on virtual machines. Only advice: it changes no contents, and
// does nothing where the system has no such pages.
void adviseHugePages(void *data, std::size_t size);
