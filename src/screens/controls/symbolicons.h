#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QJSEngine;
class QQmlEngine;

// Maps the system-symbol names the screens use ("pin", "star.fill", …) to glyphs of the
// bundled Material Icons font. A name ending in ".slash" is its base glyph struck through.
class SymbolIcons : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString fontFamily READ fontFamily CONSTANT)

public:
    [[nodiscard]] static SymbolIcons *create(QQmlEngine *, QJSEngine *);
    [[nodiscard]] static SymbolIcons *instance();

    [[nodiscard]] QString fontFamily() const { return m_fontFamily; }
    // The glyph of a symbol name, or an empty text for a name without one.
    [[nodiscard]] Q_INVOKABLE static QString glyph(const QString &name);
    [[nodiscard]] Q_INVOKABLE static bool isSlashed(const QString &name);

private:
    SymbolIcons();
    QString m_fontFamily;
};
