// Store reader: never crashes, and whatever it accepts is written and read back unchanged.
#include "model/repojson.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<RepoList> repos = RepoJson::readRepos(json);
    (void)RepoJson::readRepo(json);
    (void)RepoJson::readPackages(json);
    if (!repos)
        return 0;

    // A document that was read must be writable again, or every later save would fail.
    std::string first;
    if (!RepoJson::writeRepos(*repos, first))
        std::abort();
    const std::optional<RepoList> again = RepoJson::readRepos(first);
    if (!again)
        std::abort();
    std::string second;
    if (!RepoJson::writeRepos(*again, second) || second != first)
        std::abort();
    return 0;
}
