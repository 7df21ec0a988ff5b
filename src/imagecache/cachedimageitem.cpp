#include "cachedimageitem.h"

#include "imagecache/imageloader.h"

#include <QQuickWindow>
#include <QSGImageNode>

CachedImageItem::CachedImageItem(QQuickItem *parent)
    : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    // A download outlives the item that asked for it; the connection does not.
    connect(ImageLoader::instance(), &ImageLoader::fetched, this, [this](const QString &url, const QImage &image) {
        if (url != m_url)
            return;
        if (!image.isNull())
            setImage(image);
        else if (!hasImage())
            setFailed(true);
    });
}

void CachedImageItem::setUrl(const QString &url)
{
    if (url == m_url)
        return;
    m_url = url;
    Q_EMIT urlChanged();
    if (isComponentComplete()) {
        setImage({});
        setFailed(false);
        appear();
    }
}

QRectF CachedImageItem::pictureRect() const
{
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return {};
    const QSizeF fitted = QSizeF(m_image.size()).scaled(size(), Qt::KeepAspectRatio);
    return {QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted};
}

void CachedImageItem::componentComplete()
{
    QQuickItem::componentComplete();
    if (isVisible())
        appear();
}

void CachedImageItem::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemVisibleHasChanged && value.boolValue && isComponentComplete())
        appear();
}

void CachedImageItem::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    update();
}

void CachedImageItem::appear()
{
    ImageLoader *loader = ImageLoader::instance();
    const QImage local = loader->cached(m_url);
    if (!local.isNull())
        setImage(local);
    else if (!loader->fetch(m_url) && !hasImage())
        setFailed(true);
}

void CachedImageItem::setImage(const QImage &image)
{
    const bool had = hasImage();
    // The same decoded picture again (from the loader's memory) needs no new texture.
    if (image.cacheKey() != m_image.cacheKey()) {
        m_image = image;
        m_textureStale = true;
        update();
    }
    if (had != hasImage())
        Q_EMIT hasImageChanged();
    if (hasImage())
        setFailed(false);
}

void CachedImageItem::setFailed(bool failed)
{
    if (failed == m_failed)
        return;
    m_failed = failed;
    Q_EMIT failedChanged();
}

QSGNode *CachedImageItem::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    const QRectF target = pictureRect();
    if (target.isEmpty()) {
        delete oldNode;
        return nullptr;
    }
    auto *node = static_cast<QSGImageNode *>(oldNode);
    if (!node || m_textureStale) {
        delete node;
        node = window()->createImageNode();
        // Mipmaps keep large pictures shown small (package pictures on cards) free of aliasing.
        node->setTexture(window()->createTextureFromImage(m_image, QQuickWindow::TextureHasMipmaps));
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Linear);
        node->setMipmapFiltering(QSGTexture::Linear);
        m_textureStale = false;
    }
    node->setRect(target);
    node->setSourceRect(QRectF(QPointF(0, 0), node->texture()->textureSize()));
    return node;
}
