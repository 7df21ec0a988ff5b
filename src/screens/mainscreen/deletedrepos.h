#pragma once

#include "model/repo.h"

#include <QList>
#include <QSet>
#include <QString>

// The sources the last delete removed, each with the position it had, so that the delete can
// be taken back: the same records (id, packages, pin state) return where they were. A newer
// delete replaces an older one, which then stays done.
class DeletedRepos
{
public:
    // Starts a new delete; returns what the previous one held, now final.
    RepoList begin();
    // One source taken out of the list at `position` (as it was just before).
    void add(int position, Repo repo);
    [[nodiscard]] bool isEmpty() const { return m_entries.isEmpty(); }
    [[nodiscard]] QSet<QUuid> ids() const;
    // "تم حذف السورس «<name>»", or empty when there is nothing to take back.
    [[nodiscard]] QString message() const;
    // The names of the sources, joined by the Arabic comma.
    [[nodiscard]] QString names() const;
    // Puts the sources back into `repos` at their positions (in the reverse order they left,
    // so every position means what it meant), skipping any whose id is listed again.
    void restoreInto(RepoList &repos);
    // Forgets the delete, which stays done; returns the records it held.
    RepoList take();

private:
    QList<std::pair<int, Repo>> m_entries;
};
