// Pictures of what is new: two real indexes served in earlier states over the past week (some
// of their packages held back, one at an older version), each state fetched by the window's
// refresh at its day, then the updates screen, a marked row and a source in newest-first order.
#include "model/referencedate.h"
#include "model/repostore.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "search/packageorder.h"
#include "servedsource.h"
#include "testsupport.h"
#include "windowpicture.h"

#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The index as it was `step` states before its last: the last 3 * step stanzas held back, and
// before the last state the first stanza at an older version.
QByteArray earlier(const QList<QByteArray> &stanzas, int step)
{
    QList<QByteArray> kept = stanzas.mid(0, std::max<qsizetype>(1, stanzas.size() - 3 * step));
    if (step > 0)
        kept[0] = QString::fromUtf8(kept[0]).replace(QRegularExpression(u"\nVersion: ([^\n]*)"_s), u"\nVersion: \\1~beta"_s).toUtf8();
    return kept.join("\n\n") + '\n';
}

} // namespace

bool updatesPictures(const QString &out, const QString &repos)
{
    TempDataDir data;
    TestServer server;
    struct Served
    {
        QString folder;
        const char *name;
        QList<QByteArray> stanzas;
    };
    QList<Served> served{{u"Lessica__lessica.github.io"_s, "Lessica", {}}, {u"Halo-Michael__halo-michael.github.io"_s, "Halo Michael", {}}};
    RepoList list;
    for (Served &s : served) {
        QFile file(repos + u'/' + s.folder + u"/Packages"_s);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray index = withServedIcons(server, file.readAll().replace("\r\n", "\n"), repos);
        for (qsizetype from = 0; from < index.size();) {
            qsizetype end = index.indexOf("\n\n", from);
            if (end < 0)
                end = index.size();
            const QByteArray stanza = index.mid(from, end - from).trimmed();
            if (stanza.startsWith("Package:"))
                s.stanzas.append(stanza);
            from = end + 2;
        }
        QFile icon(repos + u'/' + s.folder + u"/CydiaIcon.png"_s);
        if (icon.open(QIODevice::ReadOnly))
            server.serve(s.folder + u"/CydiaIcon.png"_s, icon.readAll());
        Repo repo;
        repo.name = s.name;
        repo.url = server.url(s.folder + u'/').toStdString();
        repo.imageURL = repo.url + "CydiaIcon.png";
        repo.packagesURL = repo.url + "Packages";
        list.append(repo);
    }
    if (!RepoStore::saveRepos(list))
        return false;

    // Days before now of each state: the first fetch, then three that bring news.
    const double now = ReferenceDate::now();
    const double days[] = {6, 4, 1, 0.02};
    double clock = now - days[0] * 86400;
    server.setHolding(true);
    for (const Served &s : served)
        server.serve(s.folder + u"/Packages"_s, earlier(s.stanzas, 3));
    QQmlApplicationEngine engine;
    engine.addImportPath(u"qrc:/"_s);
    engine.load(QUrl(u"qrc:/Vexlo/app/MyApp.qml"_s));
    if (engine.rootObjects().isEmpty())
        return false;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    window->resize(430, 900);
    auto *model = window->findChild<ContentViewModel *>();
    model->setClock([&clock] { return clock; });
    server.setHolding(false);
    server.release();
    const auto refreshed = [&] {
        return QTest::qWaitFor([&] {
            return std::none_of(model->repos().cbegin(), model->repos().cend(), [](const Repo &r) { return r.isUpdating; })
                && model->repos().constFirst().updateProgress == 1.0;
        }, 20'000);
    };
    if (!QTest::qWaitFor([&] { return model->hasUpdatedRepos(); }, 10'000) || !refreshed())
        return false;
    for (int step = 2; step >= 0; --step) {
        clock = now - days[3 - step] * 86400;
        for (const Served &s : served)
            server.serve(s.folder + u"/Packages"_s, earlier(s.stanzas, step));
        model->updateAllRepos();
        if (!refreshed())
            return false;
    }
    clock = now;
    bool ok = saveWindowPicture(window, out + u"/main-whats-new.png"_s);

    auto *mainScreen = window->findChild<QQuickItem *>(u"contentView"_s);
    QMetaObject::invokeMethod(mainScreen, "updatesOpened");
    ok = saveWindowPicture(window, out + u"/updates.png"_s) && ok;
    QTest::keyClick(window, Qt::Key_Escape);
    QTest::qWait(500);

    model->setSourceOrder(PackageOrder::Newest);
    QMetaObject::invokeMethod(mainScreen, "repoOpened", Q_ARG(QString, list.at(0).id.toString()));
    ok = saveWindowPicture(window, out + u"/source-newest-first.png"_s) && ok;
    // Its order menu, opened from the keyboard: a mark on the chosen order, which has the focus.
    const auto buttons = window->findChildren<QQuickItem *>(u"orderMenuButton"_s);
    const auto shown = std::find_if(buttons.cbegin(), buttons.cend(), [](QQuickItem *b) { return b->isVisible(); });
    if (shown != buttons.cend()) {
        QQuickItem *order = *shown;
        order->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(window, Qt::Key_Space);
        QTest::qWait(1500);
        ok = saveWindowPicture(window, out + u"/source-order-menu.png"_s) && ok;
        QTest::keyClick(window, Qt::Key_Escape);
    }
    model->waitForPendingWrites();
    return ok;
}
