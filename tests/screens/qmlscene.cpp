#include "qmlscene.h"

#include "model/repostore.h"
#include "screens/mainscreen/contentviewmodel.h"

#include <QDirIterator>
#include <QNetworkProxy>
#include <QQmlComponent>
#include <QQuickItem>

#include <cstdio>

using namespace Qt::StringLiterals;

QmlScene::QmlScene(int width, int height)
{
    // Port 9 (discard) on the loopback: nothing listens, requests fail at once.
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_s, 9));
    // The module's QML files live under qrc:/Vexlo; the import path makes them visible.
    m_engine.addImportPath(u"qrc:/"_s);
    QQmlComponent component(&m_engine);
    component.setData(R"(
import QtQuick
import QtQuick.Controls
import Vexlo

ApplicationWindow {
    id: window
    visible: true
    LayoutMirroring.enabled: true
    LayoutMirroring.childrenInherit: true
    property alias stack: stack
    function pushScreen(url, properties) { return stack.push(url, properties, StackView.Immediate) }
    StackView { id: stack; anchors.fill: parent }
}
)",
                      QUrl(u"qrc:/scene.qml"_s));
    QObject *root = component.create();
    if (!root) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return;
    }
    m_window.reset(qobject_cast<QQuickWindow *>(root));
    m_window->resize(width, height);
    m_stack = m_window->property("stack").value<QObject *>();
}

QmlScene::~QmlScene()
{
    m_window.reset();
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::DefaultProxy));
}

// Each screen sits in a folder of its own under qrc:/Vexlo/screens.
static QUrl screenAddress(const QString &screen)
{
    QDirIterator files(u":/Vexlo/screens"_s, {screen + u".qml"_s}, QDir::Files, QDirIterator::Subdirectories);
    return files.hasNext() ? QUrl(u"qrc"_s + files.next()) : QUrl(u"qrc:/Vexlo/screens/"_s + screen + u".qml"_s);
}

QQuickItem *QmlScene::push(const QString &screen, const QVariantMap &properties)
{
    QVariant item;
    const QUrl url = screenAddress(screen);
    QMetaObject::invokeMethod(m_window.get(), "pushScreen", Q_RETURN_ARG(QVariant, item),
                              Q_ARG(QVariant, QVariant::fromValue(url)), Q_ARG(QVariant, properties));
    settle();
    auto *pushed = item.value<QQuickItem *>();
    if (!pushed) {
        // The stack says nothing about why; compiling the screen alone does.
        QQmlComponent component(&m_engine, url);
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
    }
    return pushed;
}

QList<QQuickItem *> itemsWhere(QQuickItem *in, const std::function<bool(QQuickItem *)> &test)
{
    QList<QQuickItem *> found = test(in) ? QList<QQuickItem *>{in} : QList<QQuickItem *>();
    for (QQuickItem *child : in->childItems())
        found += itemsWhere(child, test);
    return found;
}

QList<QQuickItem *> findAll(QQuickItem *in, const QString &name)
{
    return itemsWhere(in, [&name](QQuickItem *item) { return item->objectName() == name; });
}

QQuickItem *find(QQuickItem *in, const QString &name)
{
    const QList<QQuickItem *> found = findAll(in, name);
    const auto visible = std::find_if(found.begin(), found.end(), [](QQuickItem *item) { return item->isVisible(); });
    return visible != found.end() ? *visible : found.value(0);
}

void click(QQuickItem *item)
{
    QVERIFY(item);
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centreOf(item));
}

bool AppWindow::start(const RepoList &list, const std::function<bool()> &ready)
{
    if (!RepoStore::saveRepos(list))
        return false;
    engine.addImportPath(u"qrc:/"_s);
    engine.load(QUrl(u"qrc:/Vexlo/app/MyApp.qml"_s));
    if (engine.rootObjects().isEmpty())
        return false;
    window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    model = window->findChild<ContentViewModel *>(u"contentModel"_s);
    window->requestActivate();
    return model && QTest::qWaitForWindowActive(window) && QTest::qWaitFor(ready);
}

AppWindow::~AppWindow()
{
    if (model)
        model->waitForPendingWrites();
}

QObject *AppWindow::stack() const
{
    return window->findChild<QObject *>(u"contentView"_s)->parent();
}

QQuickItem *AppWindow::row(const char *name) const
{
    for (const char *section : {"pinnedSection", "sourcesSection"})
        for (QQuickItem *r : itemsWhere(find(root(), QString::fromLatin1(section)), [](QQuickItem *i) { return i->property("isSourceRow").toBool(); }))
            if (r->property("name").toString() == QLatin1String(name))
                return r;
    return nullptr;
}
