#include "buildconfig.h"
#include "platform/datadir.h"
#include "platform/singleinstance.h"
#include "platform/terminationsignals.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QLocale>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QWindow>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("vexlo"));
    QGuiApplication::setOrganizationName(QStringLiteral("vexlo"));
    // Ties the window to the installed desktop entry (its name, icon and the Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral(VEXLO_APP_ID));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/Vexlo/icons/vexlo.svg")));
    // The interface is Arabic whatever the system locale.
    QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    // Also the language the application reports to assistive technology.
    QLocale::setDefault(QLocale(QLocale::Arabic));
    QQuickStyle::setStyle(QStringLiteral("Material"));
    quitOnTerminationSignals();

    // A second start on the same data folder hands its arguments (a vexlo:// link, a list
    // file) to the running window and ends, so two processes never write one store.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    SingleInstance instance(DataDir::path());
    if (!instance.claim(arguments))
        return EXIT_SUCCESS;

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreationFailed, &app,
                     [] { QCoreApplication::exit(EXIT_FAILURE); }, Qt::QueuedConnection);
    engine.setInitialProperties({{QStringLiteral("launchArguments"), arguments}});
    engine.load(QUrl(QStringLiteral("qrc:/Vexlo/app/MyApp.qml")));
    QObject::connect(&instance, &SingleInstance::argumentsReceived, &engine, [&engine](const QStringList &handed) {
        const QList<QObject *> roots = engine.rootObjects();
        if (roots.isEmpty())
            return;
        QMetaObject::invokeMethod(roots.first(), "handleArguments", Q_ARG(QVariant, QVariant(handed)));
        if (auto *window = qobject_cast<QWindow *>(roots.first())) {
            window->raise();
            window->requestActivate();
        }
    });
    return QGuiApplication::exec();
}
