// Times reading a Packages index file into records the way vexlo-cli does (read, check UTF-8,
// parse), and the parse alone of the text in memory. Usage: bench_parse FILE [REPS]
// Prints first_ms (first run in this process) and warm_ms (median of the later runs) for both,
// the package count and the peak resident memory.
#include "sources/indexfile.h"
#include "sources/packagesparser.h"
#include "sources/utf8.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <QString>

namespace {

double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

struct Mapped
{
    const char *data = nullptr;
    std::size_t size = 0;
};

Mapped mapFile(const char *path)
{
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0) {
        std::perror(path);
        std::exit(2);
    }
    struct stat st{};
    ::fstat(fd, &st);
    Mapped m;
    m.size = std::size_t(st.st_size);
    void *p = m.size ? ::mmap(nullptr, m.size, PROT_READ, MAP_PRIVATE, fd, 0) : nullptr;
    if (p == MAP_FAILED) {
        std::perror("mmap");
        std::exit(2);
    }
    ::close(fd);
    m.data = static_cast<const char *>(p);
    return m;
}

long peakKiB()
{
    FILE *f = std::fopen("/proc/self/status", "r");
    char line[256];
    long kib = -1;
    while (f && std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kib = std::atol(line + 6);
    if (f)
        std::fclose(f);
    return kib;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [REPS]\n", argv[0]);
        return 2;
    }
    const int reps = std::max(1, argc > 2 ? std::atoi(argv[2]) : 1);
    const std::string repoURL = "https://deb.debian.org/debian/";

    // The whole reading of the file; records freed untimed between runs.
    const QString path = QString::fromLocal8Bit(argv[1]);
    std::vector<double> whole;
    PackageList packages;
    long peakAfterFirst = 0;
    for (int r = 0; r < reps; ++r) {
        packages = PackageList();
        const double start = nowMs();
        IndexResult result = readIndexFile(path, repoURL);
        whole.push_back(nowMs() - start);
        if (result.error) {
            std::fprintf(stderr, "%s\n", qPrintable(result.error->detail));
            return 3;
        }
        packages = std::move(result.packages);
        if (r == 0)
            peakAfterFirst = peakKiB();
    }

    // The parse alone, on a mapping made once.
    const Mapped file = mapFile(argv[1]);
    std::vector<double> parseOnly;
    std::vector<double> validateOnly;
    for (int r = 0; r < reps; ++r) {
        packages = PackageList();
        double start = nowMs();
        volatile bool valid = isValidUtf8({file.data, file.size});
        (void)valid;
        validateOnly.push_back(nowMs() - start);
        start = nowMs();
        packages = parsePackages({file.data, file.size}, repoURL);
        parseOnly.push_back(nowMs() - start);
    }

    std::uint64_t chars = 0;
    std::uint64_t sizes = 0;
    std::size_t ratings = 0;
    for (const Package &p : packages) {
        chars += p.name.size() + p.description.size() + p.version.size() + p.downloadURL.size() + p.architecture.size();
        sizes += std::uint64_t(p.fileSize);
        ratings += p.ratings.has_value();
    }
    const double firstWhole = whole.front();
    whole.erase(whole.begin());
    const double firstParse = parseOnly.front();
    parseOnly.erase(parseOnly.begin());
    std::printf("bench_parse stanzas=%lld bytes=%zu first_ms=%.3f warm_ms=%.3f parse_first_ms=%.3f parse_warm_ms=%.3f "
                "validate_ms=%.3f peak_first_kib=%ld peak_kib=%ld chars=%llu sizes=%llu ratings=%zu first=%s last=%s\n",
                static_cast<long long>(packages.size()), file.size, firstWhole, median(whole), firstParse, median(parseOnly),
                median(validateOnly), peakAfterFirst, peakKiB(), static_cast<unsigned long long>(chars),
                static_cast<unsigned long long>(sizes), ratings,
                packages.isEmpty() ? "" : packages.front().name.c_str(),
                packages.isEmpty() ? "" : packages.back().name.c_str());
    return 0;
}
