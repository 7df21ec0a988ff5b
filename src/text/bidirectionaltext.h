#pragma once

#include "addresstext.h"
#include "fieldisolation.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Display form of a text in this right-to-left interface: every embedded left-to-right run
// (an address, a package name, a Latin sentence) wrapped in a first-strong isolate
// (U+2068 … U+2069), so the run keeps its own order and its punctuation stays at its end.
// For display only: what is copied, printed or stored is the text itself.
[[nodiscard]] QString isolateLeftToRightRuns(const QString &text);

class BidirectionalText : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;
    Q_INVOKABLE static QString isolated(const QString &text) { return isolateLeftToRightRuns(text); }
    // One datum of an index or an address, drawn in its own direction (see isolateField).
    Q_INVOKABLE static QString field(const QString &text) { return isolateField(text); }
    Q_INVOKABLE static QString message(const QString &text) { return isolateMessage(text); }
    // A source's address, isolated, with its password hidden: whole, or without "https://".
    Q_INVOKABLE static QString address(const QString &url) { return isolateField(maskedAddress(url)); }
    Q_INVOKABLE static QString shortAddress(const QString &url) { return isolateField(::shortAddress(url)); }
};
