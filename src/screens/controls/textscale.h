#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

class QFont;

// How much larger than designed the screens draw their text: the platform's font size against
// 11 points, the largest default among the desktops (Qt's own 9, KDE's 10, GNOME's 11), never
// below 1. A user who doubles the desktop font (22 points) gets every text at twice its size;
// a default desktop gets the designed sizes. Follows the font while the application runs.
class TextScale : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(qreal factor READ factor NOTIFY factorChanged)

public:
    static constexpr qreal referencePixels = 11.0 * 96.0 / 72.0;
    static constexpr qreal largestFactor = 3.0;

    explicit TextScale(QObject *parent = nullptr);

    [[nodiscard]] qreal factor() const { return m_factor; }
    // The factor for a font shown at this many logical dots per inch.
    [[nodiscard]] static qreal factorFor(const QFont &font, qreal logicalDpi);

Q_SIGNALS:
    void factorChanged();

private:
    void update();
    qreal m_factor = 1.0;
};
