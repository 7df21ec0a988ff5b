#include "testsupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQmlComponent>
#include <QQuickWindow>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

bool addSheetPictures(const QString &out);

namespace {

bool grab(QQuickWindow *window, const QString &path)
{
    QTest::qWait(300);
    const QImage image = window->grabWindow();
    const bool ok = image.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "failed", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    QQuickStyle::setStyle(QStringLiteral("Material"));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("pictures");
    QDir().mkpath(out);
    if (argc > 2 && qstrcmp(argv[2], "sheets") == 0)
        return addSheetPictures(out) ? 0 : 1;

    TempDataDir data;
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    if (qEnvironmentVariableIsSet("VEXLO_DEBUG_QML")) {
        QQmlComponent c(&engine, QUrl(QString::fromLocal8Bit(qgetenv("VEXLO_DEBUG_QML"))));
        qWarning() << c.errors();
    }
    engine.load(QUrl(QStringLiteral("qrc:/Vexlo/app/MyApp.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    grab(window, out + QStringLiteral("/main-first-start.png"));
    return addSheetPictures(out) ? 0 : 1;
}
