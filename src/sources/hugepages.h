#pragma once

#include <cstddef>

// Asks the system to back the whole 2 MiB pages inside [data, data + size) with huge pages.
// Touching fresh memory costs one page fault per 4 KiB page otherwise, which dominates the
// first parse of a large index on virtual machines. Only advice: it changes no contents, and
// does nothing where the system has no such pages.
void adviseHugePages(void *data, std::size_t size);

// Has the system back [data, data + size) with memory now, on a pool thread, so that the
// thread that fills it later (the main thread, for a download) does not stop at each page for
// the system to clear it. Only advice as well: it changes no contents, and memory freed
// meanwhile comes to no harm.
void prefaultElsewhere(void *data, std::size_t size);
