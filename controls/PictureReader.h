#pragma once

// Reading a picture file: the decoder its extension names and no other, within the memory one
// picture may take.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <stdexcept>

// The most memory one picture's pixels may take, and so the largest picture file read: the
// display's own, whatever Qt's readers would allow by default (128 MB up to Qt 6.7, 256 MB from
// 6.8), and held to by them too.
constexpr int kPictureMegabytes = 128;

// A picture that could not be loaded; the text says why, in words the user can follow.
class TPictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TFirstPicture {
    QImage Image;
    int ImageCount = 0;
    // An animation whose frames, all decoded, fit in the memory set aside for keeping them.
    bool FramesFit = false;
};

// The decoder ("gif", "bmp", "ico", "jpeg", "png") for an extension; raises TPictureError for
// one without. `failure` becomes a message of our own to give instead of the decoder's, or empty.
QByteArray PictureFormatOf(const QString& extension, QString& failure);

// Raises TPictureError for a file larger than any picture the readers accept can be, before
// anything reads it whole.
void CheckPictureFileSize(qint64 bytes);

// The first picture in a file's bytes and how many it holds. Raises TPictureError with the
// decoder's message, ours, or, for a picture whose pixels would take more than the readers'
// limit, one that names its size.
TFirstPicture ReadFirstPicture(const QByteArray& bytes, const QString& extension);
