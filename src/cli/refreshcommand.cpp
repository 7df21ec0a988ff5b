#include "commands.h"

#include <QTextStream>

int Cli::refresh(const QStringList &)
{
    err() << "vexlo-cli: refresh is not available yet\n";
    return 2;
}
