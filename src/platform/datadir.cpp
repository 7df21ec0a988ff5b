#include "datadir.h"

#include <QDir>
#include <QStandardPaths>

QString DataDir::path()
{
    QString dir = qEnvironmentVariable("VEXLO_DATA_DIR");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return dir;
}
