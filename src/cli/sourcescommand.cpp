#include "commands.h"

#include <QTextStream>

int Cli::sources(const QStringList &)
{
    err() << "vexlo-cli: sources is not available yet\n";
    return 2;
}
