#pragma once

#include <QImage>
#include <QQuickItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Draws the picture of an address, scaled to fit the item with its aspect kept, once the
// picture is at hand. Every appearance (completion, or becoming visible again) reads the
// address's cache file and, when that holds no picture, asks the image loader to download it.
// `failed` tells a view without picture that waiting is over: a download ended without one,
// or the address is none that can be downloaded. It stays while the next appearance tries
// again, so an offline screen does not flicker between waiting and giving up.
class CachedImageItem : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString url READ url WRITE setUrl NOTIFY urlChanged)
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY hasImageChanged)
    Q_PROPERTY(bool failed READ failed NOTIFY failedChanged)

public:
    explicit CachedImageItem(QQuickItem *parent = nullptr);

    [[nodiscard]] QString url() const { return m_url; }
    void setUrl(const QString &url);
    [[nodiscard]] bool hasImage() const { return !m_image.isNull(); }
    [[nodiscard]] bool failed() const { return m_failed; }
    [[nodiscard]] QImage image() const { return m_image; }
    // Where the picture is drawn inside the item, in item coordinates; empty without picture.
    [[nodiscard]] QRectF pictureRect() const;

Q_SIGNALS:
    void urlChanged();
    void hasImageChanged();
    void failedChanged();

protected:
    void componentComplete() override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *) override;

private:
    void appear();
    void setImage(const QImage &image);
    void setFailed(bool failed);

    QString m_url;
    QImage m_image;
    bool m_textureStale = false;
    bool m_failed = false;
};
