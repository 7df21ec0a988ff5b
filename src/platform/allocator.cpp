#include "allocator.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

void returnLargeFreesToSystem()
{
#ifdef __GLIBC__
    // Fixed values also turn off the threshold's adjustment.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 4 << 20);
#endif
}
