#include "deletedrepos.h"

#include <algorithm>

using namespace Qt::StringLiterals;

RepoList DeletedRepos::begin()
{
    return take();
}

void DeletedRepos::add(int position, Repo repo)
{
    m_entries.append({position, std::move(repo)});
}

QSet<QUuid> DeletedRepos::ids() const
{
    QSet<QUuid> ids;
    for (const auto &entry : m_entries)
        ids.insert(entry.second.id);
    return ids;
}

QString DeletedRepos::message() const
{
    return m_entries.isEmpty() ? QString() : u"تم حذف السورس «%1»"_s.arg(names());
}

QString DeletedRepos::names() const
{
    QStringList names;
    for (const auto &entry : m_entries)
        names.append(QString::fromStdString(entry.second.name));
    return names.join(u"، "_s);
}

void DeletedRepos::restoreInto(RepoList &repos)
{
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        const QUuid id = it->second.id;
        if (std::any_of(repos.cbegin(), repos.cend(), [&id](const Repo &r) { return r.id == id; }))
            continue;
        repos.insert(std::clamp(it->first, 0, int(repos.size())), std::move(it->second));
    }
    m_entries.clear();
}

RepoList DeletedRepos::take()
{
    RepoList records;
    for (auto &entry : m_entries)
        records.append(std::move(entry.second));
    m_entries.clear();
    return records;
}
