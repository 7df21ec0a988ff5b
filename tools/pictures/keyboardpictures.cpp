// Pictures of every screen reached with the keyboard alone (its focus ring showing), then of
// every screen again with the desktop font at twice the default size.
#include "model/repostore.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "servedsource.h"
#include "testsupport.h"

#include <QFont>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

struct Pictures
{
    QQuickWindow *window = nullptr;
    QString out;
    bool ok = true;

    void shot(const QString &name, int settleMs = 700)
    {
        QTest::qWait(settleMs);
        const QString path = out + u'/' + name;
        const bool saved = window->grabWindow().save(path);
        ok = ok && saved;
        std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
        std::fflush(stdout);
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(window, Qt::Key(key), modifiers);
    }
    QQuickItem *find(const QString &name) const
    {
        QList<QQuickItem *> all;
        const std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
            if (item->objectName() == name && item->isVisible())
                all.append(item);
            for (QQuickItem *child : item->childItems())
                walk(child);
        };
        walk(window->contentItem());
        return all.value(0);
    }
    // Tabs until the focused item is one that `wanted` accepts.
    void tabTo(const std::function<bool(QQuickItem *)> &wanted)
    {
        for (int i = 0; i < 12 && !(window->activeFocusItem() && wanted(window->activeFocusItem())); ++i)
            key(Qt::Key_Tab);
    }
    // Every screen, each with a control focused from the keyboard.
    void tour(const QString &suffix, ContentViewModel *model)
    {
        tabTo([](QQuickItem *item) { return item->objectName() == u"refreshButton"; });
        shot(u"keys-main-toolbar"_s + suffix);
        tabTo([](QQuickItem *item) { return item->property("isSourceRow").toBool(); });
        shot(u"keys-main-row"_s + suffix);
        key(Qt::Key_Return);
        shot(u"keys-source"_s + suffix, 1200);
        key(Qt::Key_Tab, Qt::NoModifier, 2);
        shot(u"keys-source-segment"_s + suffix);
        if (QQuickItem *grid = find(u"packageGrid"_s))
            QMetaObject::invokeMethod(grid, "focusCard", Q_ARG(QVariant, 1));
        shot(u"keys-source-card"_s + suffix);
        key(Qt::Key_Return);
        shot(u"keys-package"_s + suffix, 1200);
        if (QQuickItem *button = find(u"copyShareLinkButton"_s))
            button->forceActiveFocus(Qt::TabFocusReason);
        shot(u"keys-package-button"_s + suffix);
        key(Qt::Key_Escape, Qt::NoModifier, 2);
        QTest::qWait(800);
        key(Qt::Key_N, Qt::ControlModifier);
        QTest::qWait(500);
        for (const Qt::Key k : {Qt::Key_H, Qt::Key_T, Qt::Key_T, Qt::Key_P, Qt::Key_Tab})
            key(k);
        shot(u"keys-add-sheet"_s + suffix);
        key(Qt::Key_Escape);
        QTest::qWait(500);
        key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::qWait(700);
        key(Qt::Key_Tab, Qt::NoModifier, 2);
        shot(u"keys-all-packages"_s + suffix);
        key(Qt::Key_Escape);
        QTest::qWait(500);
        model->setAlertMessage(u"فشل في جلب الحزم من السورس: Lessica"_s);
        model->setShowAlert(true);
        shot(u"keys-alert"_s + suffix);
        key(Qt::Key_Escape);
        QTest::qWait(500);
    }
};

Repo serve(TestServer &server, const QString &folder, const char *name, bool pinned)
{
    Repo repo = servedSource(server, folder.section(u"__"_s, 0, 0), folder, name);
    repo.isPinned = pinned;
    return repo;
}

} // namespace

bool keyboardPictures(const QString &out)
{
    TempDataDir data;
    TestServer server;
    if (!RepoStore::saveRepos({serve(server, u"Lessica__lessica.github.io"_s, "Lessica", true),
                               serve(server, u"5boosh__repo"_s, "5boosh Repo", false)}))
        return false;
    QQmlApplicationEngine engine;
    engine.addImportPath(u"qrc:/"_s);
    engine.load(QUrl(u"qrc:/Vexlo/app/MyApp.qml"_s));
    if (engine.rootObjects().isEmpty())
        return false;
    Pictures pictures{qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst()), out};
    pictures.window->resize(430, 900);
    pictures.window->requestActivate();
    auto *model = pictures.window->findChild<ContentViewModel *>();
    if (!model || !QTest::qWaitForWindowActive(pictures.window)
        || !QTest::qWaitFor([&] { return model->allPackages()->count() > 0 && !model->showAlert(); }, 10'000))
        return false;
    pictures.tour(u".png"_s, model);

    const QFont normal = QGuiApplication::font();
    QFont large = normal;
    large.setPointSizeF(22);
    QGuiApplication::setFont(large);
    pictures.window->contentItem()->forceActiveFocus();
    pictures.tour(u"-200.png"_s, model);
    QGuiApplication::setFont(normal);
    model->waitForPendingWrites();
    return pictures.ok;
}
