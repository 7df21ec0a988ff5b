#pragma once

#include "package.h"
#include "repo.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The JSON form of the records, as the store keeps them: keys named as the fields, UUIDs as
// upper-case canonical text, dates as seconds since 2001-01-01 UTC, "/" written as "\/",
// absent optionals left out, shortest round-trip numbers, no white space.
namespace RepoJson {

// Writing fails as a whole, leaving `out` empty, when a number is not finite or a text is
// not UTF-8: such a document could never be read back. `out` is cleared first; its capacity
// is kept, so a reused buffer costs no fresh memory.
[[nodiscard]] bool writeRepos(const RepoList &repos, std::string &out);
// The same document handed to `flush` in pieces of about pieceBytes, so a large list is never
// whole in memory; `buffer` holds one piece at a time. False, as soon as it is known, when the
// document cannot be written or `flush` returns false; the pieces handed on so far are then
// not a document.
using Flush = std::function<bool(std::string_view piece)>;
inline constexpr std::size_t pieceBytes = std::size_t(1) << 20;
[[nodiscard]] bool writeRepos(const RepoList &repos, std::string &buffer, const Flush &flush);
[[nodiscard]] bool writeRepo(const Repo &repo, std::string &out);
[[nodiscard]] bool writePackages(const PackageList &packages, std::string &out);
[[nodiscard]] bool writePackage(const Package &package, std::string &out);

[[nodiscard]] std::optional<std::string> encodeRepos(const RepoList &repos);

// The reader needs this many readable bytes past the end of the text. A QByteArray or
// std::string whose capacity leaves that much room is read in place; others are copied.
inline constexpr qsizetype readPadding = 64;

// Strict reading: every non-optional key present with its JSON type, optionals absent when
// missing or null, unknown keys ignored, keys in any order. The first violation fails the
// whole read; `error`, when given, then says where and why.
[[nodiscard]] std::optional<RepoList> readRepos(const QByteArray &json, QString *error = nullptr);
[[nodiscard]] std::optional<RepoList> readRepos(const std::string &json, QString *error = nullptr);
[[nodiscard]] std::optional<Repo> readRepo(const QByteArray &json, QString *error = nullptr);
[[nodiscard]] std::optional<PackageList> readPackages(const QByteArray &json, QString *error = nullptr);
[[nodiscard]] std::optional<Package> readPackage(const QByteArray &json, QString *error = nullptr);

} // namespace RepoJson
