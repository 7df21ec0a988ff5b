#include "commands.h"

#include <QTextStream>

int Cli::add(const QStringList &)
{
    err() << "vexlo-cli: add is not available yet\n";
    return 2;
}
