#pragma once

#include "controls/PictureReader.h"

#include <QPixmap>
#include <QWidget>

#include <memory>

class QBuffer;
class QMovie;

// A picture element of the display window: the title picture, the centre logo, the stretched
// background. It paints no background of its own, so a GIF's transparent colour shows what lies
// beneath. An animated GIF plays for as long as it is loaded, and each of its frames repaints
// only the picture's rectangle.
class TGIFImage : public QWidget {
    Q_OBJECT

public:
    explicit TGIFImage(QWidget* parent = nullptr);
    ~TGIFImage() override;

    // The element takes its picture's size, at once and at every load.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);
    // The picture centred in the element; otherwise at its top-left corner.
    bool Center() const { return FCenter; }
    void SetCenter(bool center);
    // The picture stretched to fill the element, its aspect not kept.
    bool Stretch() const { return FStretch; }
    void SetStretch(bool stretch);

    // Loads a picture, choosing the decoder by the file's extension, and shows it in place of
    // the one before. On failure raises TPictureError with the loader's message (one that
    // names its size for a picture too large) and keeps the old picture. Folders, devices, pipes
    // and files larger than a picture may take are refused unread.
    void LoadFromFile(const QString& fileName);
    // The same for a file's bytes, decoded as the extension (without its dot) says.
    void LoadFromData(const QByteArray& bytes, const QString& extension);
    bool HasPicture() const { return !FPicture.isNull(); }
    // The picture's own size; empty without one.
    QSize PictureSize() const { return FPicture.size(); }
    // An animated GIF is playing.
    bool Animated() const;
    // A paused animation holds its frame and costs nothing, a picture loaded meanwhile too.
    void SetPaused(bool paused);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void MovieFrameChanged();
    void MovieFinished();
    void StopMovie();
    void PictureChanged();
    void UpdateOpaque();
    // Where the picture lies in the element, before clipping to it.
    QRect PictureRect() const;

    bool FAutoSize = false;
    bool FPaused = false;
    bool FCenter = false;
    bool FStretch = false;
    QPixmap FPicture;   // the still picture, or the animation's current frame
    QPixmap FStretched; // FPicture at the element's size, made when first painted after a change
    bool FStretchedStale = true;
    bool FRestarting = false;
    // The animation's file, kept in memory for its decoder; declared first, so freed last.
    std::unique_ptr<QBuffer> FMovieData;
    std::unique_ptr<QMovie> FMovie;
};
