// Renders the main screen offscreen to PNG files, with sources served by a local server from
// the shared corpus of real indexes:   vexlo-pictures OUTDIR [CORPUS_REPOS_DIR]
// Nothing leaves this machine: every address but the local servers' goes through a local
// proxy, first one that refuses every connection (a first start without network), then one
// that never answers.
#include "model/repostore.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "servedsource.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QNetworkProxy>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTcpServer>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

bool addSheetPictures(const QString &out);
bool keyboardPictures(const QString &out);
bool updatesPictures(const QString &out, const QString &repos);

using namespace Qt::StringLiterals;

namespace {

struct Shot
{
    QString dir;
    bool ok = true;

    void operator()(QQuickWindow *window, const QString &name, int settleMs = 600)
    {
        QTest::qWait(settleMs);
        const QString path = dir + u'/' + name;
        const bool saved = window->grabWindow().save(path);
        ok = ok && saved;
        std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
        std::fflush(stdout);
    }
};

// The application's window, as the entry point builds it.
struct App
{
    QQmlApplicationEngine engine;
    QQuickWindow *window = nullptr;
    ContentViewModel *model = nullptr;

    App()
    {
        engine.addImportPath(u"qrc:/"_s);
        engine.load(QUrl(u"qrc:/Vexlo/app/MyApp.qml"_s));
        if (engine.rootObjects().isEmpty())
            return;
        window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
        model = window->findChild<ContentViewModel *>(u"contentModel"_s);
        window->resize(430, 900);
    }
};

Repo corpusSource(TestServer &server, const QString &repos, const QString &folder, const char *name, bool pinned)
{
    QFile index(repos + u'/' + folder + u"/Packages"_s);
    if (index.open(QIODevice::ReadOnly))
        server.serve(folder + u"/Packages"_s, withServedIcons(server, index.readAll(), repos));
    serveFile(server, folder + u"/CydiaIcon.png"_s, repos + u'/' + folder + u"/CydiaIcon.png"_s);
    Repo repo;
    repo.name = name;
    repo.url = server.url(folder + u'/').toStdString();
    repo.imageURL = repo.url + "CydiaIcon.png";
    repo.packagesURL = repo.url + "Packages";
    repo.isPinned = pinned;
    repo.lastUpdated -= 3 * 86400;
    return repo;
}

// Local addresses go straight to the local servers; every other address goes to a local proxy
// that never answers, so nothing leaves this machine.
class LocalOnlyProxyFactory : public QNetworkProxyFactory
{
public:
    explicit LocalOnlyProxyFactory(quint16 proxyPort)
        : m_proxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_s, proxyPort)
    {
    }
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        const QString host = query.peerHostName();
        if (host == u"127.0.0.1" || host == u"localhost")
            return {QNetworkProxy::NoProxy};
        return {m_proxy};
    }

private:
    QNetworkProxy m_proxy;
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    QQuickStyle::setStyle(u"Material"_s);
    const QStringList args = QCoreApplication::arguments();
    const QString out = args.value(1, u"pictures"_s);
    QString repos = args.value(2, TestData::corpusReposDir());
    if (repos.isEmpty() || !QDir(repos).exists()) {
        std::fprintf(stderr, "vexlo-pictures: the corpus of real indexes was not found; pass its repos folder\n");
        return 2;
    }
    // The other screens' sources come from the same corpus.
    if (qEnvironmentVariableIsEmpty("VEXLO_SHARED_DIR"))
        qputenv("VEXLO_SHARED_DIR", QDir(repos + u"/../.."_s).absolutePath().toLocal8Bit());
    QDir().mkpath(out);
    Shot shot{out};

    {
        // A port nothing listens on: every download fails at once, as without network.
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        const quint16 refusing = closed.serverPort();
        closed.close();
        QNetworkProxyFactory::setApplicationProxyFactory(new LocalOnlyProxyFactory(refusing));
        TempDataDir data;
        App first;
        if (!first.window)
            return 1;
        if (!QTest::qWaitFor([&] { return first.model->showAlert(); }, 10000))
            qWarning("pictures: the first start showed no alert");
        shot(first.window, u"main-first-start-alert.png"_s, 1500);
        first.model->setShowAlert(false);
        shot(first.window, u"main-first-start-offline.png"_s);
    }

    TestServer proxy; // holds every request: nothing reaches the internet
    proxy.setHolding(true);
    QNetworkProxyFactory::setApplicationProxyFactory(new LocalOnlyProxyFactory(quint16(QUrl(proxy.baseUrl()).port())));

    TempDataDir data;
    TestServer server;
    server.setHolding(true);
    RepoList list{
        corpusSource(server, repos, u"5boosh__repo"_s, "5boosh", true),
        corpusSource(server, repos, u"Derbal-ios__Derbal-ios.github.io"_s, "Derbal iOS", true),
        corpusSource(server, repos, u"Lessica__lessica.github.io"_s, "Lessica", false),
        corpusSource(server, repos, u"Alimjoo__repo"_s, "Alimjoo", false),
        corpusSource(server, repos, u"LegacyIOS-RU__ios"_s, "LegacyIOS RU", false),
        corpusSource(server, repos, u"ChuanxuY__ChuanxuY.github.io"_s, "ChuanxuY", false),
        corpusSource(server, repos, u"MaxLeiter__jailbreak"_s, "MaxLeiter", false),
    };
    RepoStore::saveRepos(list);

    App app2;
    if (!app2.window)
        return 1;
    server.waitForRequests(int(list.size()));
    shot(app2.window, u"main-refreshing.png"_s);

    // A source opened while its refresh runs fills in when the refresh lands.
    auto *mainScreen = app2.window->findChild<QQuickItem *>(u"contentView"_s);
    QMetaObject::invokeMethod(mainScreen, "repoOpened", Q_ARG(QString, list.at(0).id.toString()));
    shot(app2.window, u"source-detail-refreshing.png"_s, 1200);

    // The index that is not UTF-8 fails; its alert is the last message.
    server.setHolding(false);
    server.release();
    if (!QTest::qWaitFor([&] { return app2.model->showAlert(); }, 10000))
        qWarning("pictures: the failed refresh showed no alert");
    shot(app2.window, u"source-detail-refreshed.png"_s, 1500);
    if (auto *back = app2.window->findChild<QObject *>(u"backButton"_s))
        QMetaObject::invokeMethod(back, "clicked");
    shot(app2.window, u"main-failed-alert.png"_s, 1500);

    app2.model->setShowAlert(false);
    shot(app2.window, u"main-refreshed.png"_s);

    app2.model->setSearchText(u"le"_s);
    shot(app2.window, u"main-search.png"_s);
    app2.model->setSearchText(QString());

    // A row of the sources section dragged open with the mouse: its delete button uncovered at
    // the trailing (left) edge; then the pin button at the leading edge of another row.
    QList<QQuickItem *> rows;
    const std::function<void(QQuickItem *)> collectRows = [&](QQuickItem *item) {
        if (item->property("isSourceRow").toBool())
            rows.append(item);
        for (QQuickItem *child : item->childItems())
            collectRows(child);
    };
    collectRows(app2.window->contentItem());
    std::sort(rows.begin(), rows.end(), [](QQuickItem *a, QQuickItem *b) {
        return a->mapToScene(QPointF()).y() < b->mapToScene(QPointF()).y();
    });
    const auto drag = [&](QQuickItem *row, int dx) {
        const QPoint from = row->mapToScene(QPointF(row->width() / 2, row->height() / 2)).toPoint();
        QTest::mousePress(app2.window, Qt::LeftButton, {}, from);
        for (int i = 1; i <= 10; ++i)
            QTest::mouseMove(app2.window, from + QPoint(dx * i / 10, 0), 10);
        QTest::mouseRelease(app2.window, Qt::LeftButton, {}, from + QPoint(dx, 0));
    };
    if (rows.size() >= 4) {
        drag(rows.at(2), 120);
        shot(app2.window, u"main-row-delete-button.png"_s);
        QMetaObject::invokeMethod(rows.at(2), "close");
        drag(rows.at(1), -120);
        shot(app2.window, u"main-row-pin-button.png"_s);
        QMetaObject::invokeMethod(rows.at(1), "close");
        QTest::qWait(300);
        const QPoint at = rows.at(3)->mapToScene(QPointF(rows.at(3)->width() * 0.7, rows.at(3)->height() / 2)).toPoint();
        QTest::mouseClick(app2.window, Qt::RightButton, {}, at);
        shot(app2.window, u"main-row-menu.png"_s);
        QTest::keyClick(app2.window, Qt::Key_Escape);
    }

    // An add batch with many failures: the message scrolls, the button stays.
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines.append(u"فشل في جلب البيانات: http://127.0.0.1:8801/nothere/"_s + QString::number(i) + u'/');
    app2.model->setAlertMessage(lines.join(u'\n'));
    app2.model->setShowAlert(true);
    shot(app2.window, u"main-long-alert.png"_s);
    app2.model->setShowAlert(false);

    // A row opens its source on the navigation stack.
    QMetaObject::invokeMethod(mainScreen, "repoOpened", Q_ARG(QString, list.at(0).id.toString()));
    shot(app2.window, u"app-source-detail.png"_s, 1200);
    app2.model->waitForPendingWrites();
    return shot.ok && addSheetPictures(out) && keyboardPictures(out) && updatesPictures(out, repos) ? 0 : 1;
}
