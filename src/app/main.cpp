#include "buildconfig.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QLocale>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
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

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreationFailed, &app,
                     [] { QCoreApplication::exit(EXIT_FAILURE); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Vexlo/app/MyApp.qml")));
    return QGuiApplication::exec();
}
