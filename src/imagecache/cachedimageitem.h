#pragma once

#include <QImage>
#include <QQuickItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Draws the picture of an address, scaled to fit the item with its aspect kept, once the
// picture is at hand. Every appearance (completion, becoming visible again, a new size) asks
// the image loader for the picture at the size the item shows it, in device pixels.
// `failed` tells a view without picture that waiting is over: the picture failed (no valid
// address, no download, no raster picture); it stays failed until the loader forgets it.
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
    // The item's size in device pixels: the box its picture is decoded to fit.
    [[nodiscard]] QSize box() const;
    void setImage(const QImage &image);
    void setFailed(bool failed);

    QString m_url;
    QImage m_image;
    QSize m_box; // of the last request
    bool m_textureStale = false;
    bool m_failed = false;
};
