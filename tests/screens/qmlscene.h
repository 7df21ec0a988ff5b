#pragma once

#include "model/repo.h"
#include "testsupport.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <functional>
#include <memory>

// A right-to-left window with a navigation stack that tests push screens onto. While it lives,
// the data folder is a fresh temporary one and every network request goes to a closed local
// port: pictures are never fetched from outside, nor cached in the user's folder.
class QmlScene
{
public:
    QmlScene(int width, int height);
    ~QmlScene();

    [[nodiscard]] bool isReady() const { return m_window != nullptr; }
    [[nodiscard]] QQuickWindow *window() const { return m_window.get(); }
    // Pushes a screen of the Vexlo module ("RepoDetailView", …) with its initial properties.
    QQuickItem *push(const QString &screen, const QVariantMap &properties);
    [[nodiscard]] int depth() const { return m_stack->property("depth").toInt(); }
    // Lets animations and lazy loading settle.
    void settle(int ms = 50) { QTest::qWait(ms); }

private:
    TempDataDir m_data;
    QQmlEngine m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    QObject *m_stack = nullptr;
};

class ContentViewModel;

// The application's own window on a store holding the given sources; start() waits until
// `ready` holds (the window being active first, so that keys reach it).
struct AppWindow
{
    TempDataDir data;
    QQmlApplicationEngine engine;
    QQuickWindow *window = nullptr;
    ContentViewModel *model = nullptr;

    bool start(const RepoList &list, const std::function<bool()> &ready);
    ~AppWindow();
    [[nodiscard]] QQuickItem *root() const { return window->contentItem(); }
    [[nodiscard]] QObject *stack() const;
    [[nodiscard]] int depth() const { return stack()->property("depth").toInt(); }
    // The row of the named source, in either section.
    [[nodiscard]] QQuickItem *row(const char *name) const;
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const { QTest::keyClick(window, Qt::Key(key), modifiers); }
};

// Items through the visual tree, where views put the items they create (and popups, from the
// window's content item): those that pass the test, or have that object name.
QList<QQuickItem *> itemsWhere(QQuickItem *in, const std::function<bool(QQuickItem *)> &test);
QList<QQuickItem *> findAll(QQuickItem *in, const QString &name);
// The first visible item of that name, else the first.
QQuickItem *find(QQuickItem *in, const QString &name);
// The first visible item of that name, else none.
inline QQuickItem *shown(QQuickItem *in, const QString &name)
{
    QQuickItem *item = find(in, name);
    return item && item->isVisible() ? item : nullptr;
}
// What the item says: its text without the isolates that keep data in their own direction.
inline QString text(QQuickItem *item)
{
    return item ? item->property("text").toString().remove(QChar(0x2068)).remove(QChar(0x2069)) : QString();
}
// The texts of the menu items shown now (a hidden one is left out), top to bottom.
inline QStringList shownMenuItems(QQuickItem *root)
{
    QStringList texts;
    for (QQuickItem *i : itemsWhere(root, [](QQuickItem *i) { return i->inherits("QQuickMenuItem") && i->isVisible() && i->height() > 0; }))
        texts.append(i->property("text").toString());
    return texts;
}
inline QRectF sceneRect(QQuickItem *item) { return item->mapRectToScene(QRectF(0, 0, item->width(), item->height())); }
inline QPoint centreOf(QQuickItem *item) { return sceneRect(item).center().toPoint(); }
// A left click in the middle of the item, as the window receives it.
void click(QQuickItem *item);
