#pragma once

#include "model/repo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Source lists as other programs write them: plain addresses one per line, apt's one-line
// `deb URL SUITE [COMPONENT…]` entries, deb822 `.sources` stanzas, and the stored JSON form.
namespace SourceLists {

enum class Format { Text, List, Sources, Json };

[[nodiscard]] std::optional<Format> formatNamed(QStringView name);

// The base address of a one-line `deb [options] URL SUITE [COMPONENT…]` entry: a suite
// "./" (or one ending in "/") is a flat source under URL, any other the distribution
// URL/dists/SUITE/. Nothing for a line that is no such entry.
[[nodiscard]] std::optional<QString> baseOfDebLine(QStringView line);

// The addresses in text typed into the add sheet: `deb` lines become their base, every other
// line is split as typed addresses are.
[[nodiscard]] QStringList typedAddresses(QStringView text);

// The most addresses one file may add.
inline constexpr qsizetype maxAddresses = 1000;

struct ReadResult
{
    QStringList addresses;
    QString error; // why the file was refused; empty when read
};

// Reads a source list in any of the formats, told apart by its content.
[[nodiscard]] ReadResult read(const QByteArray &bytes);

// Writes the list's addresses in a format other than Json (whose form is the store's).
[[nodiscard]] QByteArray write(const RepoList &repos, Format format);

} // namespace SourceLists
