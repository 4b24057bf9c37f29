#include "controls/Banner.h"

#include "core/Latin1.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMovie>
#include <QPaintEvent>
#include <QPainter>

namespace {

[[noreturn]] void Fail(const QString& message) {
    // Latin-1, as every text of the program, so the caller's FromLatin1 gives it back.
    throw TPictureError(ToLatin1(message));
}

// The first picture in `source` and how many the file holds, read by the decoder of `format`
// and no other, whatever the bytes look like: the extension decides. `failure`, when given,
// replaces the decoder's message.
QImage ReadFirstImage(QIODevice& source, const QByteArray& format, const QString& failure,
                      int& imageCount) {
    QImageReader reader(&source, format);
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull())
        Fail(failure.isEmpty() ? reader.errorString() : failure);
    imageCount = reader.imageCount();
    return image;
}

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
    // Only a plain file is read: a device such as /dev/zero never ends and a pipe may never
    // answer, whatever its name says. A file larger than any picture Qt decodes is not read
    // into memory either.
    const QFileInfo info(fileName);
    if (info.isDir())
        Fail(QStringLiteral("This is a folder, not a picture file."));
    if (info.exists() && !info.isFile())
        Fail(QStringLiteral("This is a device or a pipe, not a picture file."));
    if (info.size() > kMaxPictureBytes)
        Fail(QStringLiteral("This file is larger than %1 MB, too large for a picture.")
                 .arg(kMaxPictureBytes >> 20));

    const QString extension = info.suffix();
    const QString kind = extension.toLower();
    QByteArray format;
    QString failure; // a message of our own instead of the decoder's
    if (kind == QLatin1String("gif")) {
        format = "gif";
    } else if (kind == QLatin1String("bmp")) {
        format = "bmp";
        failure = QStringLiteral("Bitmap image is not valid");
    } else if (kind == QLatin1String("ico")) {
        format = "ico";
    } else if (kind == QLatin1String("jpg") || kind == QLatin1String("jpeg")) {
        format = "jpeg";
    } else if (kind == QLatin1String("png")) {
        format = "png";
    } else {
        // Metafiles (.wmf, .emf) among them: no maintained decoder for them here.
        Fail(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    }

    // Read once: the decoders work on the bytes in memory, and an animation keeps them, so a
    // file replaced or removed later does not disturb a picture on show.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        Fail(failure.isEmpty() ? file.errorString() : failure);
    QByteArray bytes = file.read(kMaxPictureBytes); // a file that grew meanwhile is cut short
    if (file.error() != QFileDevice::NoError)
        Fail(failure.isEmpty() ? file.errorString() : failure);
    file.close();

    QBuffer source(&bytes);
    int imageCount = 0;
    const QImage first = ReadFirstImage(source, format, failure, imageCount);
    std::unique_ptr<QBuffer> movieData;
    std::unique_ptr<QMovie> movie;
    if (format == "gif" && imageCount > 1) {
        movieData = std::make_unique<QBuffer>();
        movieData->setData(bytes);
        movie = std::make_unique<QMovie>(movieData.get(), "gif");
        // Every frame decoded once: the endless loop then only copies pixmaps.
        movie->setCacheMode(QMovie::CacheAll);
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
