// Pictures of the add-source sheet and the all-packages sheet over the application's window,
// with sources served by a local server (from the shared corpus when present).
#include "model/repostore.h"
#include "screens/addsource/addrepoviewmodel.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "servedsource.h"
#include "testsupport.h"
#include "windowpicture.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

bool addSheetPictures(const QString &out)
{
    TempDataDir data;
    TestServer server;
    Repo arabic = servedSource(server, u"5boosh"_s, u"5boosh__repo"_s, "5boosh Repo");
    arabic.isPinned = true;
    const Repo lessica = servedSource(server, u"lessica"_s, u"Lessica__lessica.github.io"_s, "Lessica");
    servedSource(server, u"new"_s, u"Halo-Michael__halo-michael.github.io"_s, "");
    if (!RepoStore::saveRepos({arabic, lessica}))
        return false;
    QQmlApplicationEngine engine;
    engine.addImportPath(u"qrc:/"_s);
    engine.load(QUrl(u"qrc:/Vexlo/app/MyApp.qml"_s));
    if (engine.rootObjects().isEmpty())
        return false;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    auto *model = window->findChild<ContentViewModel *>();
    if (!model || !QTest::qWaitFor([&] { return model->allPackages()->count() > 0; }, 10'000))
        return false;
    QTest::qWait(500);
    bool ok = true;

    model->setShowingAddRepo(true);
    ok &= saveWindowPicture(window, out + u"/add-sheet-empty.png"_s);
    auto *sheet = window->findChild<AddRepoViewModel *>();
    sheet->setRepoURLs(server.url(u"new"_s) + u'\n' + server.url(u"lessica/"_s) + u' ' + u"https://repo.example.org"_s);
    ok &= saveWindowPicture(window, out + u"/add-sheet-filled.png"_s);
    // A batch with one new source, one already listed and one that is not there.
    server.setHolding(true);
    sheet->setRepoURLs(server.url(u"new"_s) + u'\n' + server.url(u"lessica/"_s) + u'\n' + server.url(u"gone/"_s));
    sheet->addRepos();
    ok &= saveWindowPicture(window, out + u"/add-sheet-busy.png"_s);
    server.setHolding(false);
    server.release();
    ok &= QTest::qWaitFor([&] { return !model->showingAddRepo(); }, 10'000);
    ok &= saveWindowPicture(window, out + u"/add-sheet-done.png"_s);
    model->setShowAlert(false);

    model->setShowAllPackages(true);
    ok &= saveWindowPicture(window, out + u"/all-packages.png"_s);
    model->setSearchText(u"بايباس"_s);
    if (model->filteredPackages()->count() == 0)
        model->setSearchText(u"tweak"_s);
    ok &= saveWindowPicture(window, out + u"/all-packages-search.png"_s);
    if (auto *grid = window->findChild<QQuickItem *>(u"packageGrid"_s)) {
        QMetaObject::invokeMethod(grid, "openPackage", Q_ARG(QVariant, 0));
        ok &= saveWindowPicture(window, out + u"/all-packages-detail.png"_s);
    }
    model->setShowAllPackages(false);
    model->setSearchText({});
    return ok;
}
