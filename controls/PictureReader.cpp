#include "controls/PictureReader.h"

#include "core/QtText.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace {

// Every frame of an animation is kept once decoded, so that the endless loop only copies
// pixmaps; past this many megabytes for all of them together, each frame is decoded anew
// whenever it shows instead. A small file can hold thousands of frames of a large screen.
constexpr double kKeptFramesMegabytes = 64;

[[noreturn]] void Fail(const QString& message) {
    // UTF-8, as every text of the program, so the caller's FromUtf8 gives it back.
    throw TPictureError(ToUtf8(message));
}

// The memory a picture of `size` takes, in megabytes: at 32 bits a pixel, as the screen shows it,
// or at the depth its decoder gives when that is more (16-bit PNG decodes to 64 bits).
double PictureMegabytes(QSize size, QImage::Format format = QImage::Format_Invalid) {
    const int depth = format == QImage::Format_Invalid
                          ? 32
                          : std::max(32, int(QImage::toPixelFormat(format).bitsPerPixel()));
    return double(size.width()) * size.height() * depth / 8 / (1024 * 1024);
}

// A GIF's frames are all drawn on its logical screen, whose size is in the file's header, while
// the reader gives the size of the first frame alone.
QSize GifScreenSize(const QByteArray& bytes) {
    if (bytes.size() < 10 || !bytes.startsWith("GIF"))
        return {};
    const auto word = [&](int at) {
        return int(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                               << 8);
    };
    return {word(6), word(8)};
}

// Refuses, with the sizes, a picture that Qt's readers would refuse with no more than "Unable to
// read image data": the display must never take gigabytes for one picture, and the operator
// must learn why it does not show.
void CheckPictureSize(QSize size, QImage::Format format) {
    const int limit = kPictureMegabytes;
    const double megabytes = PictureMegabytes(size, format);
    if (megabytes > limit)
        Fail(QStringLiteral("The picture is too large to show: %1 x %2 pixels would take %3 MB, "
                            "and a picture may take at most %4 MB.")
                 .arg(size.width())
                 .arg(size.height())
                 .arg(std::ceil(megabytes))
                 .arg(limit));
}

} // namespace

QByteArray PictureFormatOf(const QString& extension, QString& failure) {
    const QString kind = extension.toLower();
    failure.clear();
    if (kind == QLatin1String("gif"))
        return "gif";
    if (kind == QLatin1String("bmp")) {
        failure = QStringLiteral("Bitmap image is not valid");
        return "bmp";
    }
    if (kind == QLatin1String("ico"))
        return "ico";
    if (kind == QLatin1String("jpg") || kind == QLatin1String("jpeg"))
        return "jpeg";
    if (kind == QLatin1String("png"))
        return "png";
    // Metafiles (.wmf, .emf) among them: no maintained decoder for them here.
    Fail(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
}

void CheckPictureFileSize(qint64 bytes) {
    // Even uncompressed, a picture the readers accept is no larger than what they may take.
    const int limit = kPictureMegabytes;
    const double megabytes = double(bytes) / (1024 * 1024);
    if (megabytes > limit)
        Fail(QStringLiteral("The picture file is too large: %1 MB, and a picture may take at most "
                            "%2 MB.")
                 .arg(std::ceil(megabytes))
                 .arg(limit));
}

TFirstPicture ReadFirstPicture(const QByteArray& bytes, const QString& extension) {
    QString failure;
    const QByteArray format = PictureFormatOf(extension, failure);
    QBuffer source;
    source.setData(bytes);
    source.open(QIODevice::ReadOnly);
    // What a decoder takes beyond what its header said is held to the same limit.
    static const bool limited = (QImageReader::setAllocationLimit(kPictureMegabytes), true);
    (void)limited;
    // Only the decoder of the extension, whatever the bytes look like.
    QImageReader reader(&source, format);
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    const QSize canvas = format == "gif" ? GifScreenSize(bytes) : QSize();
    if (size.isValid() || canvas.isValid())
        CheckPictureSize(size.expandedTo(canvas), reader.imageFormat());
    TFirstPicture picture;
    picture.Image = reader.read();
    if (picture.Image.isNull())
        Fail(failure.isEmpty() ? reader.errorString() : failure);
    picture.ImageCount = reader.imageCount();
    picture.FramesFit =
        PictureMegabytes(picture.Image.size()) * picture.ImageCount <= kKeptFramesMegabytes;
    return picture;
}
