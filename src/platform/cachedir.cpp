#include "cachedir.h"

#include <QDir>
#include <QStandardPaths>

QString CacheDir::path()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return {};
    return dir;
}
