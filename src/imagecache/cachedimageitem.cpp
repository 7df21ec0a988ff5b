#include "cachedimageitem.h"

#include "imagecache/imageloader.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QSGImageNode>

#include <cmath>

CachedImageItem::CachedImageItem(QQuickItem *parent)
    : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    // A download outlives the item that asked for it; the connections do not.
    ImageLoader *loader = ImageLoader::instance();
    connect(loader, &ImageLoader::ready, this, [this](const QString &url, QSize box, const QImage &image) {
        if (url == m_url && box == m_box)
            setImage(image);
    });
    connect(loader, &ImageLoader::failed, this, [this](const QString &url) {
        if (url == m_url && !hasImage())
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
    const bool shown = (change == ItemVisibleHasChanged && value.boolValue)
        || (change == ItemDevicePixelRatioHasChanged && isVisible()) || (change == ItemSceneChange && value.window);
    if (shown && isComponentComplete())
        appear();
}

void CachedImageItem::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (isComponentComplete() && isVisible() && box() != m_box)
        appear();
    update();
}

QSize CachedImageItem::box() const
{
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : qApp->devicePixelRatio();
    return QSize(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)));
}

void CachedImageItem::appear()
{
    const QSize box = this->box();
    if (box.isEmpty() && !m_url.isEmpty())
        return; // laid out later: asked for at its size then
    m_box = box;
    QImage image;
    switch (ImageLoader::instance()->request(m_url, box, &image)) {
    case ImageLoader::State::Ready:
        setImage(image);
        break;
    case ImageLoader::State::Failed:
        if (!hasImage())
            setFailed(true);
        break;
    case ImageLoader::State::Loading:
        break;
    }
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
        // Decoded at the size it is shown at: no mipmaps needed.
        node->setTexture(window()->createTextureFromImage(m_image));
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Linear);
        m_textureStale = false;
    }
    node->setRect(target);
    node->setSourceRect(QRectF(QPointF(0, 0), node->texture()->textureSize()));
    return node;
}
