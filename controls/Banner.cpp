#include "controls/Banner.h"

#include "core/Latin1.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMovie>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

[[noreturn]] void Fail(const QString& message) {
    // Latin-1, as every text of the program, so the caller's FromLatin1 gives it back.
    throw TPictureError(ToLatin1(message));
}

// The memory a picture of `size` takes, in megabytes: at 32 bits a pixel, as the screen shows it,
// or at the depth its decoder gives when that is more (16-bit PNG decodes to 64 bits).
double PictureMegabytes(QSize size, QImage::Format format) {
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
    const int limit = QImageReader::allocationLimit(); // in megabytes; 0 for none
    const double megabytes = PictureMegabytes(size, format);
    if (limit > 0 && megabytes > limit)
        Fail(QStringLiteral("The picture is too large to show: %1 x %2 pixels would take %3 MB, "
                            "and a picture may take at most %4 MB.")
                 .arg(size.width())
                 .arg(size.height())
                 .arg(std::ceil(megabytes))
                 .arg(limit));
}

// The first picture in `source` and how many the file holds, read by the decoder of `format`
// and no other, whatever the bytes look like: the extension decides. `failure`, when given,
// replaces the decoder's message.
QImage ReadFirstImage(QIODevice& source, const QByteArray& format, const QString& failure,
                      QSize canvas, int& imageCount) {
    QImageReader reader(&source, format);
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (size.isValid() || canvas.isValid())
        CheckPictureSize(size.expandedTo(canvas), reader.imageFormat());
    QImage image = reader.read();
    if (image.isNull())
        Fail(failure.isEmpty() ? reader.errorString() : failure);
    imageCount = reader.imageCount();
    return image;
}

// The decoder for a file's extension, and in `failure` a message of our own to give instead of
// the decoder's (empty for none). An extension without a decoder raises the loader's error.
QByteArray DecoderOf(const QString& extension, QString& failure) {
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

// Every frame of an animation is kept once decoded, so that the endless loop only copies
// pixmaps; past this many megabytes for all of them together, each frame is decoded anew
// whenever it shows instead. A small file can hold thousands of frames of a large screen.
constexpr double kCachedAnimationMegabytes = 64;

} // namespace

TGIFImage::TGIFImage(QWidget* parent) : QWidget(parent) {
    // No background of its own: transparent parts show what lies beneath.
    setAutoFillBackground(false);
}

// Out of line, where QBuffer and QMovie are complete types.
TGIFImage::~TGIFImage() = default;

void TGIFImage::SetAutoSize(bool autoSize) {
    if (autoSize == FAutoSize)
        return;
    FAutoSize = autoSize;
    if (FAutoSize && HasPicture())
        resize(PictureSize());
}

void TGIFImage::SetCenter(bool center) {
    if (center == FCenter)
        return;
    FCenter = center;
    update();
}

void TGIFImage::SetStretch(bool stretch) {
    if (stretch == FStretch)
        return;
    FStretch = stretch;
    FStretchedStale = true;
    FStretched = QPixmap(); // only a stretching element keeps a copy at its size
    UpdateOpaque();
    update();
}

bool TGIFImage::Animated() const {
    return FMovie && FMovie->state() == QMovie::Running;
}

void TGIFImage::LoadFromFile(const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix();
    QString failure;
    DecoderOf(extension, failure);
    // Read once: the decoders work on the bytes in memory, and an animation keeps them, so a
    // file replaced or removed later does not disturb a picture on show.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        Fail(failure.isEmpty() ? file.errorString() : failure);
    // Not read whole beyond what any picture the readers accept can need, even uncompressed.
    const int limit = QImageReader::allocationLimit();
    const double megabytes = double(file.size()) / (1024 * 1024);
    if (limit > 0 && megabytes > limit)
        Fail(QStringLiteral("The picture file is too large: %1 MB, and a picture may take at most "
                            "%2 MB.")
                 .arg(std::ceil(megabytes))
                 .arg(limit));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        Fail(failure.isEmpty() ? file.errorString() : failure);
    LoadFromData(bytes, extension);
}

void TGIFImage::LoadFromData(const QByteArray& bytes, const QString& extension) {
    QString failure;
    const QByteArray format = DecoderOf(extension, failure);
    QBuffer source;
    source.setData(bytes);
    source.open(QIODevice::ReadOnly);
    const bool gif = format == "gif";
    int imageCount = 0;
    const QImage first =
        ReadFirstImage(source, format, failure, gif ? GifScreenSize(bytes) : QSize(), imageCount);
    std::unique_ptr<QBuffer> movieData;
    std::unique_ptr<QMovie> movie;
    if (gif && imageCount > 1) {
        movieData = std::make_unique<QBuffer>();
        movieData->setData(bytes);
        movie = std::make_unique<QMovie>(movieData.get(), "gif");
        const bool cacheAll = PictureMegabytes(first.size(), QImage::Format_Invalid) * imageCount <=
                              kCachedAnimationMegabytes;
        movie->setCacheMode(cacheAll ? QMovie::CacheAll : QMovie::CacheNone);
        if (!movie->isValid())
            Fail(movie->lastErrorString());
    }

    // Nothing below fails: the old picture goes only now.
    StopMovie();
    FPicture = QPixmap::fromImage(first);
    if (movie) {
        FMovieData = std::move(movieData);
        FMovie = std::move(movie);
        connect(FMovie.get(), &QMovie::frameChanged, this, &TGIFImage::MovieFrameChanged);
        connect(FMovie.get(), &QMovie::finished, this, &TGIFImage::MovieFinished);
        FMovie->start();
    }
    if (FAutoSize)
        resize(PictureSize());
    PictureChanged();
    update();
}

void TGIFImage::StopMovie() {
    if (!FMovie)
        return;
    FMovie->disconnect(this);
    FMovie->stop();
    FMovie.reset();
    FMovieData.reset();
}

void TGIFImage::MovieFrameChanged() {
    FPicture = FMovie->currentPixmap();
    PictureChanged();
    // Only the picture's own rectangle: a frame never repaints the window around it.
    update(PictureRect().intersected(rect()));
}

void TGIFImage::MovieFinished() {
    // The file's own loop count is not kept: the display plays its animations endlessly. A
    // movie that finishes again inside its restart cannot show even its first frame; it stays
    // still rather than restart itself for ever.
    if (FRestarting)
        return;
    FRestarting = true;
    FMovie->start();
    FRestarting = false;
}

void TGIFImage::PictureChanged() {
    FStretchedStale = true;
    UpdateOpaque();
}

void TGIFImage::UpdateOpaque() {
    // A stretched opaque picture covers every pixel, so nothing beneath it need be painted.
    setAttribute(Qt::WA_OpaquePaintEvent, FStretch && HasPicture() && !FPicture.hasAlphaChannel());
}

QRect TGIFImage::PictureRect() const {
    if (FStretch)
        return rect();
    const QSize picture = PictureSize();
    if (FCenter)
        return QRect(QPoint((width() - picture.width()) / 2, (height() - picture.height()) / 2),
                     picture);
    return QRect(QPoint(0, 0), picture);
}

void TGIFImage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (FStretch)
        FStretchedStale = true;
}

void TGIFImage::paintEvent(QPaintEvent* event) {
    if (!HasPicture())
        return;
    const QPixmap* shown = &FPicture;
    if (FStretch) {
        // Scaled once per picture and size, at the first paint that needs it: a hidden element
        // costs nothing, and paints after it only copy.
        if (FStretchedStale || FStretched.size() != size()) {
            FStretched = size().isEmpty() ? QPixmap()
                                          : FPicture.scaled(size(), Qt::IgnoreAspectRatio,
                                                            Qt::SmoothTransformation);
            FStretchedStale = false;
        }
        shown = &FStretched;
    }
    const QRect picture = PictureRect();
    const QRect target = picture.intersected(event->rect());
    if (target.isEmpty() || shown->isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(target, *shown, target.translated(-picture.topLeft()));
}
