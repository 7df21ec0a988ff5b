#pragma once

#include "repo.h"

#include <QString>

#include <optional>
#include <string>

// The stored source list: one JSON document under the user-defaults key "savedRepos".
// Both operations block; screens reach them through AsyncRepoStore.
namespace RepoStore {

inline constexpr char16_t key[] = u"savedRepos";

// The stored list, or nothing when no document is stored or it cannot be read (the
// document is then left as it is).
[[nodiscard]] std::optional<RepoList> loadRepos();

// Writes the whole list, replacing the stored document; false, and nothing written, when
// the list cannot be encoded or the file not replaced. `buffer` is reused for the encoding.
bool saveRepos(const RepoList &repos, std::string &buffer);
bool saveRepos(const RepoList &repos);

} // namespace RepoStore
