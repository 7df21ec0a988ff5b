#include "commands.h"

#include <QTextStream>

int Cli::parse(const QStringList &)
{
    err() << "vexlo-cli: parse is not available yet\n";
    return 2;
}
