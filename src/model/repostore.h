#pragma once

#include "repo.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

// The stored source list: one JSON document under the user-defaults key "savedRepos".
// Both operations block; screens reach them through AsyncRepoStore.
namespace RepoStore {

inline constexpr char16_t key[] = u"savedRepos";

// The stored list, or nothing when no document is stored or it cannot be read (the
// document is then left as it is). Temporary files of writes cut short are removed first.
[[nodiscard]] std::optional<RepoList> loadRepos();

// Writes the whole list, replacing the stored document; false, and nothing written, when
// the list cannot be encoded or the file not replaced. `buffer` is reused for the encoding.
// A document that loadRepos could not read is first kept aside in the same folder as
// "savedRepos.unreadable-<date and time>", announced with one console line; when it cannot
// be kept, nothing is written.
bool saveRepos(const RepoList &repos, std::string &buffer, QString *reason = nullptr);
bool saveRepos(const RepoList &repos);

// Keeps the document that the last load found unreadable aside now, without writing anything;
// the path it is kept under, or nothing when there is none or it could not be kept.
[[nodiscard]] std::optional<QString> keepUnreadableAside();

// Called, on the saving thread, with the path of each unreadable document kept aside.
void setKeptAsideListener(std::function<void(const QString &path)> listener);

} // namespace RepoStore
