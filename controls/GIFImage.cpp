#include "controls/GIFImage.h"

#include "core/QtText.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMovie>
#include <QPaintEvent>
#include <QPainter>

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

void TGIFImage::SetPaused(bool paused) {
    FPaused = paused;
    if (FMovie)
        FMovie->setPaused(paused);
}

void TGIFImage::LoadFromFile(const QString& fileName) {
    // Only a plain file is read: a device such as /dev/zero never ends and a pipe may never
    // answer, whatever its name says.
    const QFileInfo info(fileName);
    if (info.isDir())
        throw TPictureError(ToUtf8(QStringLiteral("This is a folder, not a picture file.")));
    if (info.exists() && !info.isFile())
        throw TPictureError(
            ToUtf8(QStringLiteral("This is a device or a pipe, not a picture file.")));
    const QString extension = info.suffix();
    QString failure;
    PictureFormatOf(extension, failure);
    // Read once: the decoders work on the bytes in memory, and an animation keeps them, so a
    // file replaced or removed later does not disturb a picture on show.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw TPictureError(ToUtf8(failure.isEmpty() ? file.errorString() : failure));
    // A file larger than any picture is not read into memory; one that grew meanwhile is cut.
    CheckPictureFileSize(file.size());
    const QByteArray bytes = file.read(file.size());
    if (file.error() != QFileDevice::NoError)
        throw TPictureError(ToUtf8(failure.isEmpty() ? file.errorString() : failure));
    LoadFromData(bytes, extension);
}

void TGIFImage::LoadFromData(const QByteArray& bytes, const QString& extension) {
    const TFirstPicture first = ReadFirstPicture(bytes, extension);
    std::unique_ptr<QBuffer> movieData;
    std::unique_ptr<QMovie> movie;
    if (first.ImageCount > 1 && extension.toLower() == QLatin1String("gif")) {
        movieData = std::make_unique<QBuffer>();
        movieData->setData(bytes);
        movie = std::make_unique<QMovie>(movieData.get(), "gif");
        movie->setCacheMode(first.FramesFit ? QMovie::CacheAll : QMovie::CacheNone);
        if (!movie->isValid())
            throw TPictureError(ToUtf8(movie->lastErrorString()));
    }

    // Nothing below fails: the old picture goes only now.
    StopMovie();
    FPicture = QPixmap::fromImage(first.Image);
    if (movie) {
        FMovieData = std::move(movieData);
        FMovie = std::move(movie);
        connect(FMovie.get(), &QMovie::frameChanged, this, &TGIFImage::MovieFrameChanged);
        connect(FMovie.get(), &QMovie::finished, this, &TGIFImage::MovieFinished);
        FMovie->start();
        if (FPaused)
            FMovie->setPaused(true);
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
