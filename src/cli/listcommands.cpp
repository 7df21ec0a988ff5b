#include "commands.h"

#include "model/defaultrepos.h"
#include "model/repostore.h"
#include "sources/repoadder.h"
#include "sources/sourcelists.h"

#include <QFile>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

int Cli::exportList(const QStringList &args)
{
    SourceLists::Format format = SourceLists::Format::Text;
    if (args.size() == 2 && args.first() == u"--format" && SourceLists::formatNamed(args.at(1))) {
        format = *SourceLists::formatNamed(args.at(1));
    } else if (!args.isEmpty()) {
        err() << "vexlo-cli: export: use --format text|list|sources|json (see --help)\n";
        return 2;
    }
    if (format == SourceLists::Format::Json)
        return sources({u"--json"_s});
    const QByteArray text = SourceLists::write(RepoStore::loadRepos().value_or(defaultRepos()), format);
    out().flush();
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
    std::fflush(stdout);
    return 0;
}

int Cli::importLists(const QStringList &args)
{
    if (args.isEmpty()) {
        err() << "vexlo-cli: import needs at least one file (see --help)\n";
        return 2;
    }
    QStringList addresses;
    for (const QString &path : args) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            err() << "vexlo-cli: import: " << path << ": " << file.errorString() << Qt::endl;
            return 1;
        }
        // Read no further than a list can be long: the rest would be refused anyway.
        const SourceLists::ReadResult read = SourceLists::read(file.read((qint64(64) << 20) + 1));
        if (!read.error.isEmpty()) {
            err() << "vexlo-cli: import: " << path << ": " << read.error << Qt::endl;
            return 1;
        }
        addresses += read.addresses;
    }
    if (addresses.size() > SourceLists::maxAddresses) {
        err() << "vexlo-cli: import: more than " << SourceLists::maxAddresses << " addresses\n";
        return 1;
    }
    return addBatch([&addresses](RepoAdder &adder) { adder.addAll(addresses); });
}
