#include "ContactPhoto.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

QString ContactPhoto::fromBytes(const QByteArray& bytes)
{
    QBuffer source;
    source.setData(bytes);
    source.open(QIODevice::ReadOnly);
    QImageReader reader(&source);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMostSourcePixels)
        return QString();
    QImage image = reader.read();
    if (image.isNull())
        return QString();
    if (image.width() > kMostPixels || image.height() > kMostPixels)
        image = image.scaled(kMostPixels, kMostPixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // JPEG keeps no transparency: what was see-through is shown on white.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    for (int quality : {85, 70, 50, 30}) {
        QByteArray out;
        QBuffer target(&out);
        target.open(QIODevice::WriteOnly);
        if (flat.save(&target, "JPEG", quality) && out.size() <= kMostBytes)
            return QString::fromLatin1(out.toBase64());
    }
    return QString();
}

QByteArray ContactPhoto::bytesOf(const QString& kept, QByteArray* type)
{
    QByteArray bytes = QByteArray::fromBase64(kept.toLatin1());
    if (type)
        *type = bytes.startsWith("\x89PNG") ? QByteArrayLiteral("PNG") : QByteArrayLiteral("JPEG");
    return bytes;
}
