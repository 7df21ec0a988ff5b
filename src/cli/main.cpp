#include "commands.h"

#include "model/repostore.h"
#include "platform/allocator.h"
#include "platform/networkaccess.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QTextStream>

#include <cstdio>

namespace {

const char16_t usage[] = uR"(Usage: vexlo-cli [--data-dir DIR] COMMAND [ARGS]

Runs Vexlo's core without a window. The stored source list is read from, and written to,
DIR, or $VEXLO_DATA_DIR, or the application's data folder.

Commands:
  sources [--json]            List the stored sources (the default ones when nothing
                              readable is stored): name, address, package count, last
                              refresh and, once refreshed, the last refresh's outcome
                              (succeeded, unchanged or failed, with the reason of a failure).
                              --json prints the stored JSON document form, each source with
                              an "outcome" object (result, reason, everSucceeded) once known.
                              A stored list that cannot be read is kept aside, named
                              on standard error, and the command exits 1.
  parse FILE [--repo-url URL] [--count]
                              Parse a local Packages index (plain or compressed) and print
                              its packages as a JSON array in index order. --repo-url is the
                              base address for download links (default https://example.org/);
                              --count prints only the number of packages. Exits 3 when the
                              file is not UTF-8.
  refresh                     Refresh every stored source, print failures with their reason
                              (the alert's text, a tab, the reason), write the store,
                              and end with one line on standard error: sources refreshed,
                              unchanged (304) and failed, bytes downloaded. Sources whose
                              list is the one last fetched are asked whether their index
                              changed. Exits 1 when any source failed.
  add ADDRESS...              Add sources as the add-source sheet does: each argument is read
                              like the sheet's text (addresses separated by blanks or line
                              breaks; a line `deb URL SUITE [COMPONENT...]` is one source),
                              all are fetched at once, each new source is appended
                              and the list written. Messages go to standard error; exits 1
                              when any address failed (invalid, already listed, not fetched).
  packages [--source NAME] [--search TEXT] [--arch ARCH] [--section NAME]
           [--sort index|new|name] [--new-since DAYS] [--json]
                              List the packages of the stored sources, one line each (name,
                              version, architecture, size, source) or as a JSON array, filtered
                              as the screens filter: --search matches names, display names
                              and descriptions, names and display names only with --source
                              (the source of that name), with the screens' folding of case
                              and Arabic letter variants; --arch is
                              the simplified architecture (arm, arm64, arm64e, ...); --section
                              the package's section, exactly as its index writes it. --sort
                              orders them as the index does (default), newest first by when
                              each was first seen, or by name. --new-since lists only those
                              that came new or updated in the last DAYS days, newest first,
                              with their mark as a sixth field, as the updates screen does.
  export [--format text|list|sources|json]
                              Write the source list: addresses one per line (text, the
                              default), apt one-line entries (list), deb822 stanzas
                              (sources) or the JSON of `sources --json`.
  import FILE...              Add the sources of list files in any of those forms (told
                              apart by their content) as `add` does, and report as `add`.
                              Nothing is removed. A file that is not UTF-8 text, or that
                              names more than 1000 addresses, is refused.
  --help                      Show this text.
)";

} // namespace

QTextStream &Cli::out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &Cli::err()
{
    static QTextStream stream(stderr);
    return stream;
}

int main(int argc, char *argv[])
{
    returnLargeFreesToSystem();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexlo"));
    QCoreApplication::setOrganizationName(QStringLiteral("vexlo"));

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() >= 2 && args.first() == u"--data-dir") {
        qputenv("VEXLO_DATA_DIR", args.at(1).toLocal8Bit());
        args = args.mid(2);
    }
    if (args.isEmpty() || args.first() == u"--help" || args.first() == u"-h") {
        Cli::out() << QString::fromUtf16(usage) << Qt::flush;
        return args.isEmpty() ? 2 : 0;
    }

    RepoStore::setKeptAsideListener([](const QString &path) {
        Cli::err() << "vexlo-cli: the stored source list could not be read; it was kept as " << path << Qt::endl;
    });

    const QString command = args.takeFirst();
    int status = 2;
    if (command == u"sources")
        status = Cli::sources(args);
    else if (command == u"parse")
        status = Cli::parse(args);
    else if (command == u"refresh")
        status = Cli::refresh(args);
    else if (command == u"add")
        status = Cli::add(args);
    else if (command == u"packages")
        status = Cli::packages(args);
    else if (command == u"export")
        status = Cli::exportList(args);
    else if (command == u"import")
        status = Cli::importLists(args);
    else
        Cli::err() << "vexlo-cli: unknown command " << command << " (see --help)\n";
    // Close kept-alive connections of any command now, while their thread still runs, so none
    // is left behind at exit.
    NetworkAccess::manager()->clearConnectionCache();
    Cli::out().flush();
    Cli::err().flush();
    return status;
}
