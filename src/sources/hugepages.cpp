#include "hugepages.h"

#include <QThreadPool>

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

void adviseHugePages(void *data, std::size_t size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t hugePage = std::uintptr_t(2) << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = (start + size) & ~(hugePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

void prefaultElsewhere(void *data, std::size_t size)
{
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + page - 1) & ~(page - 1);
    const std::uintptr_t end = (start + size) & ~(page - 1);
    if (end > begin) {
        QThreadPool::globalInstance()->start(
            [begin, end] { madvise(reinterpret_cast<void *>(begin), end - begin, MADV_POPULATE_WRITE); });
    }
#else
    (void)data;
    (void)size;
#endif
}
