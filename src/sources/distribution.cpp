#include "distribution.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

std::optional<QString> Distribution::archiveRoot(const QString &base)
{
    static const QRegularExpression distribution(uR"(^(.+/)dists/[^/]+/$)"_s);
    const QRegularExpressionMatch match = distribution.match(base);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

const QStringList &Distribution::iosArchitectures()
{
    static const QStringList architectures{u"iphoneos-arm"_s, u"iphoneos-arm64"_s, u"iphoneos-arm64e"_s,
                                           u"darwin-arm64"_s, u"all"_s};
    return architectures;
}

QStringList Distribution::indexPaths(const ReleaseFile *release)
{
    QStringList components = release ? release->components : QStringList();
    if (components.isEmpty())
        components = {u"main"_s};
    QStringList architectures;
    for (const QString &architecture : iosArchitectures()) {
        if (!release || release->architectures.isEmpty() || release->architectures.contains(architecture))
            architectures.append(architecture);
    }
    // A Release could list thousands; no source needs more than a few lists.
    constexpr qsizetype maxComponents = 16;
    components = components.mid(0, maxComponents);
    QStringList paths;
    for (const QString &component : components) {
        // A component is a folder name, never a way out of the distribution.
        if (component.contains(u"..") || component.startsWith(u'/') || component.contains(u"://"))
            continue;
        for (const QString &architecture : architectures)
            paths.append(component + u"/binary-"_s + architecture + u"/Packages"_s);
    }
    return paths;
}
