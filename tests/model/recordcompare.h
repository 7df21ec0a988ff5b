#pragma once

#include "model/repo.h"

#include <QTest>

#include <bit>

// Field-by-field comparison of records; numbers compared bit for bit, not fuzzily.
namespace RecordCompare {

inline quint64 bits(double d)
{
    return std::bit_cast<quint64>(d);
}

inline std::optional<quint64> bits(const std::optional<double> &d)
{
    return d ? std::optional<quint64>(bits(*d)) : std::nullopt;
}

inline void verifySame(const PackageList &expected, const PackageList &actual)
{
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const Package &e = expected[i];
        const Package &a = actual[i];
        QCOMPARE(a.id, e.id);
        QCOMPARE(a.name, e.name);
        QCOMPARE(a.description, e.description);
        QCOMPARE(a.version, e.version);
        QCOMPARE(a.downloadURL, e.downloadURL);
        QCOMPARE(a.architecture, e.architecture);
        QCOMPARE(bits(a.ratings), bits(e.ratings));
        QCOMPARE(a.fileSize, e.fileSize);
        for (std::size_t x = 0; x < extraCount; ++x)
            QCOMPARE(a.extras.get(Extra(x)), e.extras.get(Extra(x)));
    }
}

inline void verifySame(const RepoList &expected, const RepoList &actual)
{
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const Repo &e = expected[i];
        const Repo &a = actual[i];
        QCOMPARE(a.id, e.id);
        QCOMPARE(a.name, e.name);
        QCOMPARE(a.url, e.url);
        QCOMPARE(a.imageURL, e.imageURL);
        QCOMPARE(a.packagesURL, e.packagesURL);
        verifySame(e.packages, a.packages);
        QCOMPARE(a.isPinned, e.isPinned);
        QCOMPARE(bits(a.lastUpdated), bits(e.lastUpdated));
        QCOMPARE(a.developer, e.developer);
        QCOMPARE(bits(a.releaseDate), bits(e.releaseDate));
        QCOMPARE(bits(a.ratings), bits(e.ratings));
        QCOMPARE(a.socialMediaLinks, e.socialMediaLinks);
        QCOMPARE(a.isFixed, e.isFixed);
        QCOMPARE(a.isUpdating, e.isUpdating);
        QCOMPARE(bits(a.updateProgress), bits(e.updateProgress));
    }
}

} // namespace RecordCompare
