#include "servedsource.h"

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QHash>

using namespace Qt::StringLiterals;

bool serveFile(TestServer &server, const QString &path, const QString &filePath)
{
    QFile f(filePath);
    if (f.open(QIODevice::ReadOnly))
        server.serve(path, f.readAll());
    return f.isOpen();
}

QByteArray withServedIcons(TestServer &server, const QByteArray &index, const QString &repos)
{
    // Line by line on the bytes, so an index that is not valid UTF-8 stays as it is.
    const QStringList folders = QDir(repos).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QHash<QByteArray, QByteArray> served;
    QList<QByteArray> lines = index.split('\n');
    for (QByteArray &line : lines) {
        if (!line.startsWith("Icon:"))
            continue;
        const QByteArray address = line.mid(5).trimmed();
        if (!address.startsWith("http://") && !address.startsWith("https://"))
            continue;
        QByteArray &local = served[address];
        for (qsizetype tries = 0; local.isEmpty() && tries < folders.size(); ++tries) {
            const QString path = u"icons/"_s + QString::number(served.size()) + u".png"_s;
            if (serveFile(server, path, repos + u'/' + folders.at((served.size() * 7 + tries) % folders.size()) + u"/CydiaIcon.png"_s))
                local = server.url(path).toUtf8();
        }
        if (!local.isEmpty())
            line = "Icon: " + local;
    }
    return lines.join('\n');
}

Repo servedSource(TestServer &server, const QString &path, const QString &folder, const char *name)
{
    const QString corpus = TestData::corpusReposDir();
    QFile index(corpus + u'/' + folder + u"/Packages"_s);
    if (!corpus.isEmpty() && index.open(QIODevice::ReadOnly))
        server.serve(path + u"/Packages"_s, withServedIcons(server, index.readAll(), corpus));
    else
        server.serve(path + u"/Packages"_s, TestData::fixture(u"Packages-sample"_s));
    if (!corpus.isEmpty())
        serveFile(server, path + u"/CydiaIcon.png"_s, corpus + u'/' + folder + u"/CydiaIcon.png"_s);
    Repo repo;
    repo.name = name;
    repo.url = server.url(path + u'/').toStdString();
    repo.imageURL = repo.url + "CydiaIcon.png";
    repo.packagesURL = repo.url + "Packages";
    return repo;
}
