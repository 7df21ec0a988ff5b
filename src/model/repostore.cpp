#include "repostore.h"
#include "repojson.h"

#include "platform/userdefaults.h"

static_assert(UserDefaults::readPadding >= RepoJson::readPadding);

std::optional<RepoList> RepoStore::loadRepos()
{
    const std::optional<QByteArray> bytes = UserDefaults::data(QString::fromUtf16(key));
    if (!bytes)
        return std::nullopt;
    return RepoJson::readRepos(*bytes);
}

bool RepoStore::saveRepos(const RepoList &repos, std::string &buffer)
{
    if (!RepoJson::writeRepos(repos, buffer))
        return false;
    return UserDefaults::set(QByteArrayView(buffer.data(), qsizetype(buffer.size())), QString::fromUtf16(key));
}

bool RepoStore::saveRepos(const RepoList &repos)
{
    std::string buffer;
    return saveRepos(repos, buffer);
}
