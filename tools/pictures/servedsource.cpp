#include "servedsource.h"

#include "testsupport.h"

using namespace Qt::StringLiterals;

Repo servedSource(TestServer &server, const QString &path, const QString &folder, const char *name)
{
    const QString corpus = TestData::corpusReposDir();
    if (corpus.isEmpty() || !server.serveFile(path + u"/Packages"_s, corpus + u'/' + folder + u"/Packages"_s))
        server.serve(path + u"/Packages"_s, TestData::fixture(u"Packages-sample"_s));
    if (!corpus.isEmpty())
        server.serveFile(path + u"/CydiaIcon.png"_s, corpus + u'/' + folder + u"/CydiaIcon.png"_s);
    Repo repo;
    repo.name = name;
    repo.url = server.url(path + u'/').toStdString();
    repo.imageURL = repo.url + "CydiaIcon.png";
    repo.packagesURL = repo.url + "Packages";
    return repo;
}
