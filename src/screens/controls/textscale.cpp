#include "textscale.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

TextScale::TextScale(QObject *parent)
    : QObject(parent)
{
    connect(qGuiApp, &QGuiApplication::fontChanged, this, &TextScale::update);
    update();
}

qreal TextScale::factorFor(const QFont &font, qreal logicalDpi)
{
    const qreal pixels = font.pixelSize() > 0 ? qreal(font.pixelSize()) : font.pointSizeF() * logicalDpi / 72.0;
    if (!(pixels > 0))
        return 1.0;
    return std::clamp(pixels / referencePixels, 1.0, largestFactor);
}

void TextScale::update()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal factor = factorFor(QGuiApplication::font(), screen ? screen->logicalDotsPerInchY() : 96.0);
    if (qFuzzyCompare(factor, m_factor))
        return;
    m_factor = factor;
    Q_EMIT factorChanged();
}
