#include "repostore.h"
#include "repojson.h"

#include "platform/console.h"
#include "platform/userdefaults.h"

#include <QFileInfo>
#include <QMutex>

#include <algorithm>

using namespace Qt::StringLiterals;

static_assert(UserDefaults::readPadding >= RepoJson::readPadding);

namespace {

// The stored document that was last found unreadable, until it has been kept aside. Loads and
// saves may run on different threads (the window's store thread, the command line's main).
struct Unreadable
{
    QMutex mutex;
    std::optional<UserDefaults::FileIdentity> document;
    std::function<void(const QString &)> listener;
};

Unreadable &unreadable()
{
    static Unreadable state;
    return state;
}

QString storeKey()
{
    return QString::fromUtf16(RepoStore::key);
}

// Nothing when an unreadable document is still in the way and could not be kept; an empty
// path when none is in the way.
std::optional<QString> keepAside()
{
    Unreadable &state = unreadable();
    QMutexLocker lock(&state.mutex);
    if (!state.document)
        return QString();
    const std::optional<QString> path = UserDefaults::keepAside(storeKey(), *state.document, u"unreadable"_s);
    if (!path)
        return std::nullopt;
    state.document.reset();
    if (path->isEmpty())
        return path; // replaced meanwhile: nothing unreadable is overwritten
    Console::printLine(u"تعذّرت قراءة قائمة السورسات المحفوظة، فحُفظت كما هي في: "_s + *path);
    if (state.listener)
        state.listener(*path);
    return path;
}

} // namespace

std::optional<RepoList> RepoStore::loadRepos()
{
    UserDefaults::removeLeftovers(storeKey());
    UserDefaults::FileIdentity identity;
    const std::optional<QByteArray> bytes = UserDefaults::data(storeKey(), &identity);
    if (!bytes)
        return std::nullopt;
    std::optional<RepoList> repos = RepoJson::readRepos(*bytes);
    Unreadable &state = unreadable();
    QMutexLocker lock(&state.mutex);
    if (repos)
        state.document.reset();
    else
        state.document = identity;
    return repos;
}

bool RepoStore::saveRepos(const RepoList &repos, std::string &buffer, QString *reason)
{
    // Sized after the stored document, with room to grow: grown by doubling instead, the
    // buffer would for a moment hold the part written so far twice.
    const auto stored = std::size_t(std::max<qint64>(QFileInfo(UserDefaults::filePath(storeKey())).size(), 0));
    if (buffer.capacity() < stored + stored / 4) {
        buffer.clear(); // nothing to copy into the new allocation
        buffer.reserve(stored + stored / 4);
    }
    if (!RepoJson::writeRepos(repos, buffer)) {
        if (reason)
            *reason = u"the list cannot be written as JSON"_s;
        return false;
    }
    if (!keepAside()) {
        if (reason)
            *reason = u"the unreadable stored list could not be kept aside"_s;
        return false;
    }
    return UserDefaults::set(QByteArrayView(buffer.data(), qsizetype(buffer.size())), storeKey(), reason);
}

bool RepoStore::saveRepos(const RepoList &repos)
{
    std::string buffer;
    return saveRepos(repos, buffer);
}

std::optional<QString> RepoStore::keepUnreadableAside()
{
    std::optional<QString> path = keepAside();
    return path && !path->isEmpty() ? path : std::nullopt;
}

void RepoStore::setKeptAsideListener(std::function<void(const QString &path)> listener)
{
    Unreadable &state = unreadable();
    QMutexLocker lock(&state.mutex);
    state.listener = std::move(listener);
}
