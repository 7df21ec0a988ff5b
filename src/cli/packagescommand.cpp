#include "commands.h"

#include <QTextStream>

int Cli::packages(const QStringList &)
{
    err() << "vexlo-cli: packages is not available yet\n";
    return 2;
}
