#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// One file's checksum as a Release lists it: the strongest algorithm it gives for that file.
struct ReleaseChecksum
{
    enum class Algorithm { Md5, Sha1, Sha256 };
    Algorithm algorithm = Algorithm::Md5;
    QByteArray hex; // lower case
    qint64 size = 0;

    friend bool operator==(const ReleaseChecksum &, const ReleaseChecksum &) = default;
};

// What a source's `Release` says about it.
struct ReleaseFile
{
    QString title;       // Label, else Origin; empty when neither names the source
    QString description;
    QStringList components;
    QStringList architectures;
    QHash<QString, ReleaseChecksum> checksums; // by path relative to the Release's folder
};

// Reads a Release; nothing when the bytes are no Release (not UTF-8, a web page, no field).
// Titles and descriptions are cut to a length a screen can show.
[[nodiscard]] std::optional<ReleaseFile> parseRelease(QByteArrayView bytes);

// Whether a text reads as a web address or host name rather than a name.
[[nodiscard]] bool looksLikeAddress(QStringView text);
