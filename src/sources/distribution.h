#pragma once

#include "releasefile.h"

#include <QString>
#include <QStringList>

#include <optional>

// A distribution-style source: its base ends in "/dists/<suite>/", its Release names the
// components and architectures, and each pair has an index of its own.
namespace Distribution {

// The archive root (the address before "dists/") of a distribution's base; nothing for a
// flat source.
[[nodiscard]] std::optional<QString> archiveRoot(const QString &base);

// The index paths to fetch, relative to the base: "<component>/binary-<arch>/Packages" for
// each listed component and each listed iOS architecture. Without a Release (or one that lists
// neither), "main" and every iOS architecture.
[[nodiscard]] QStringList indexPaths(const ReleaseFile *release);

// Architectures of iOS packages, in the order their lists are shown.
[[nodiscard]] const QStringList &iosArchitectures();

} // namespace Distribution
