#include "thumbnails.h"

#include "util_system.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <libffmpegthumbnailer/videothumbnailer.h>

#include <exception>
#include <string>
#include <vector>

namespace {

// The largest size of these proportions that fits in box; never larger than size itself.
QSize fitting(QSize size, QSize box)
{
    if (size.width() <= box.width() && size.height() <= box.height())
        return size;
    const QSize scaled = size.scaled(box, Qt::KeepAspectRatio);
    return {std::max(1, scaled.width()), std::max(1, scaled.height())};
}

QImage shrunkToFit(QImage image, QSize box)
{
    if (image.isNull() || fitting(image.size(), box) == image.size())
        return image;
    return image.scaled(fitting(image.size(), box), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Decodes straight to (about) the wanted size: JPEG by scaling in the DCT, PNG row by row, so a
// large photo never exists in memory at full size.
QImage imageThumbnail(const QString &path, QSize box)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (stored.isValid()) {
        // The box applies to the picture as shown; the scaled size to the picture as stored.
        const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        const QSize shown = turned ? stored.transposed() : stored;
        const QSize wanted = fitting(shown, box);
        if (wanted != shown)
            reader.setScaledSize(turned ? wanted.transposed() : wanted);
    }
    // Formats that cannot tell their size up front are shrunk after decoding.
    return shrunkToFit(reader.read(), box);
}

QImage videoThumbnail(const QString &path, QSize box)
{
    try {
        ffmpegthumbnailer::VideoThumbnailer thumbnailer(std::max(box.width(), box.height()), false, true, 8, false);
        thumbnailer.setLogCallback([](ThumbnailerLogLevel, const std::string &) {});
        std::vector<uint8_t> png;
        thumbnailer.generateThumbnail(QFile::encodeName(path).toStdString(), Png, png);
        QImage frame;
        if (!frame.loadFromData(png.data(), int(png.size()), "PNG"))
            return {};
        return shrunkToFit(std::move(frame), box);
    } catch (...) {
        // The library reports every failure by throwing; here that is a file without a thumbnail.
        return {};
    }
}

bool isVideo(const QString &path)
{
    return UtilSystem::getFileExt(path).compare(u"mp4", Qt::CaseInsensitive) == 0;
}

} // namespace

QByteArray pngData(const QImage &image)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    // A middle compression level: a third of the default's time for icons a few percent larger.
    writer.setQuality(50);
    if (!writer.write(image))
        return {};
    return bytes;
}

QImage makeFileThumbnail(const QString &path, qreal width, qreal height, qreal scale)
{
    const QSize box(std::max(1, qRound(width * scale)), std::max(1, qRound(height * scale)));
    if (path.isEmpty())
        return {};
    return isVideo(path) ? videoThumbnail(path, box) : imageThumbnail(path, box);
}
