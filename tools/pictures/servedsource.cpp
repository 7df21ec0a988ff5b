#include "servedsource.h"

#include "testsupport.h"

#include <QFile>

using namespace Qt::StringLiterals;

bool serveFile(TestServer &server, const QString &path, const QString &filePath)
{
    QFile f(filePath);
    if (f.open(QIODevice::ReadOnly))
        server.serve(path, f.readAll());
    return f.isOpen();
}

Repo servedSource(TestServer &server, const QString &path, const QString &folder, const char *name)
{
    const QString corpus = TestData::corpusReposDir();
    if (corpus.isEmpty() || !serveFile(server, path + u"/Packages"_s, corpus + u'/' + folder + u"/Packages"_s))
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
