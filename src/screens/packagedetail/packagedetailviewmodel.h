#pragma once

#include "model/package.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <QtQml/qqmlregistration.h>

// State and actions of the screen that shows one package: its texts, the four things the
// application can do with it (open or copy its download address, hand it to Sileo, copy its
// share link), and opening the package's own page.
class PackageDetailViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QVariant record READ record WRITE setRecord NOTIFY packageChanged)
    Q_PROPERTY(QString title READ title NOTIFY packageChanged)
    Q_PROPERTY(QString shortName READ shortName NOTIFY packageChanged)
    Q_PROPERTY(QString shortDescription READ shortDescription NOTIFY packageChanged)
    Q_PROPERTY(QString version READ version NOTIFY packageChanged)
    Q_PROPERTY(QString sizeText READ sizeText NOTIFY packageChanged)
    Q_PROPERTY(QString architecture READ architecture NOTIFY packageChanged)
    Q_PROPERTY(bool hasRating READ hasRating NOTIFY packageChanged)
    Q_PROPERTY(QString ratingText READ ratingText NOTIFY packageChanged)
    Q_PROPERTY(int starCount READ starCount NOTIFY packageChanged)
    Q_PROPERTY(QString imageUrl READ imageUrl NOTIFY packageChanged)
    Q_PROPERTY(QString shortDisplayName READ shortDisplayName NOTIFY packageChanged)
    Q_PROPERTY(QString author READ author NOTIFY packageChanged)
    Q_PROPERTY(QString section READ section NOTIFY packageChanged)
    Q_PROPERTY(bool hasDepiction READ hasDepiction NOTIFY packageChanged)
    Q_PROPERTY(bool canExpand READ canExpand NOTIFY packageChanged)
    Q_PROPERTY(bool expanded READ expanded WRITE setExpanded NOTIFY shownTextsChanged)
    Q_PROPERTY(QString shownName READ shownName NOTIFY shownTextsChanged)
    Q_PROPERTY(QString shownDisplayName READ shownDisplayName NOTIFY shownTextsChanged)
    Q_PROPERTY(QString shownDescription READ shownDescription NOTIFY shownTextsChanged)

public:
    static constexpr int nameLength = 20;
    static constexpr int descriptionLength = 100;

    explicit PackageDetailViewModel(QObject *parent = nullptr);

    void setPackage(const Package &package);
    [[nodiscard]] const Package &package() const { return m_package; }
    // The package as QML hands it on; anything but a Package is ignored.
    [[nodiscard]] QVariant record() const;
    void setRecord(const QVariant &record);

    [[nodiscard]] QString title() const;
    [[nodiscard]] QString shortName() const;
    [[nodiscard]] QString shortDescription() const;
    [[nodiscard]] QString version() const;
    [[nodiscard]] QString sizeText() const;
    [[nodiscard]] QString architecture() const;
    [[nodiscard]] bool hasRating() const { return m_package.ratings.has_value(); }
    [[nodiscard]] QString ratingText() const;
    [[nodiscard]] int starCount() const;
    [[nodiscard]] QString imageUrl() const;
    // The display name, shortened like the name; empty when there is none or it is the name.
    [[nodiscard]] QString shortDisplayName() const;
    // Empty when the index gives none.
    [[nodiscard]] QString author() const;
    [[nodiscard]] QString section() const;
    // Whether the shortened name, display name or description leave something out.
    [[nodiscard]] bool canExpand() const;
    // The screen first shows the shortened texts; expanded, it shows them whole.
    [[nodiscard]] bool expanded() const { return m_expanded; }
    void setExpanded(bool expanded);
    [[nodiscard]] QString shownName() const;
    [[nodiscard]] QString shownDisplayName() const; // empty as shortDisplayName is
    [[nodiscard]] QString shownDescription() const;
    // Whether the package's page is a web address, the only kind the page button opens.
    [[nodiscard]] bool hasDepiction() const;

    // Opens the download address once the desktop says something opens it, else signals
    // openFailed; nothing when it is no valid address.
    Q_INVOKABLE void download();
    // Copies the download address as it is, also when empty. Every copy is announced.
    Q_INVOKABLE void copyDownloadLink();
    // Opens "sileo://package/" + name when something handles it, else signals sileoMissing,
    // once the desktop has answered. A name that cannot form an address does nothing, and so
    // does a second tap while the answer is awaited.
    Q_INVOKABLE void openInSileo();
    Q_INVOKABLE void copyShareLink();
    // The Sileo alert's way on: the hand-over address on the clipboard.
    Q_INVOKABLE void copySileoLink();
    // Opens the package's page when it is a web address (as download does); nothing otherwise.
    Q_INVOKABLE void openDepiction();

Q_SIGNALS:
    void packageChanged();
    void sileoMissing();
    void shownTextsChanged();
    // Nothing on the desktop opens this address.
    void openFailed(const QString &address);

private:
    // Opens the address once the desktop says something handles it; otherwise `missing` runs.
    void openWhenHandled(const QUrl &url, std::function<void()> missing);

    Package m_package;
    bool m_asking = false;
    bool m_expanded = false;
};
