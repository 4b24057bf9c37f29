#include "controls/GIFImage.h"
#include "controls/PictureReader.h"
#include "core/QtText.h"
#include "support/Emulated.h"
#include "support/PaintCounter.h"
#include "support/PictureFiles.h"
#include "support/TempFolder.h"

#include <QBuffer>
#include <QPainter>
#include <QProcess>
#include <QtTest>

#include <random>

#include <sys/resource.h>

namespace {

const QColor kRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kGreen(0x00, 0x80, 0x00);

// Qt writes no GIFs: ImageMagick makes them.
QString MakeGif(const TTempFolder& folder, const char* name, QStringList arguments) {
    const QString file = QString::fromStdString((folder / name).string());
    if (QProcess::execute("convert", arguments << file) != 0)
        qWarning("convert %s failed", qPrintable(arguments.join(' ')));
    return file;
}

QImage Shot(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Stretching smooths, so a stretched colour is only close to the picture's.
bool Near(QColor colour, QColor expected) {
    return qAbs(colour.red() - expected.red()) + qAbs(colour.green() - expected.green()) +
               qAbs(colour.blue() - expected.blue()) <=
           32;
}

// The message a load fails with; empty when it does not fail.
QString LoadFailure(TGIFImage& image, const std::filesystem::path& file) {
    try {
        image.LoadFromFile(QString::fromStdString(file.string()));
    } catch (const TPictureError& error) {
        return FromUtf8(error.what());
    }
    return {};
}

std::string Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

// The most memory this process has held so far, in megabytes.
long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// A window that paints its own background, as the display paints its background picture.
class TGreenWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kGreen); }
};

} // namespace

class GIFImageTest : public QObject {
    Q_OBJECT

private slots:
    void aTransparentColourShowsWhatLiesBeneath() {
        SKIP_WITHOUT_CHILD_PROGRAMS();
        TTempFolder folder;
        TGreenWindow parent;
        parent.resize(10, 10);
        TGIFImage image(&parent);
        image.SetAutoSize(true);
        image.LoadFromFile(
            MakeGif(folder, "t.gif", {"-size", "2x2", "xc:red", "xc:none", "+append"}));
        QCOMPARE(image.size(), QSize(4, 2));
        QVERIFY(!image.Animated()); // one frame: a plain picture
        const QImage shot = Shot(parent);
        QCOMPARE(shot.pixelColor(1, 1), kRed);
        QCOMPARE(shot.pixelColor(3, 0), kGreen);
        image.SetStretch(true); // what lies beneath must still be painted
        QVERIFY(!image.testAttribute(Qt::WA_OpaquePaintEvent));
    }

    void anAnimationLoopsForEverAndRepaintsOnlyItsPicture() {
        SKIP_WITHOUT_CHILD_PROGRAMS();
        TTempFolder folder;
        TGIFImage image;
        image.SetCenter(true);
        image.resize(40, 40);
        // Red, then blue, 20 ms each; the file asks for two plays only.
        image.LoadFromFile(MakeGif(
            folder, "a.gif", {"-delay", "2", "-size", "4x4", "xc:red", "xc:blue", "-loop", "1"}));
        image.show();
        QVERIFY(QTest::qWaitForWindowExposed(&image));
        QCoreApplication::processEvents();

        PaintCounter counter;
        image.installEventFilter(&counter);
        QTRY_VERIFY_WITH_TIMEOUT(counter.Paints >= 10, 5000); // well past the fourth frame
        image.removeEventFilter(&counter);
        QVERIFY(image.Animated());
        for (const QRect& rect : counter.Rects)
            QCOMPARE(rect, QRect(18, 18, 4, 4));
        // Still changing frames, both of them.
        QTRY_COMPARE_WITH_TIMEOUT(Shot(image).pixelColor(20, 20), kRed, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(Shot(image).pixelColor(20, 20), kBlue, 5000);
    }

    void picturesLoadAndFailuresSayWhyAndKeepTheOldOne() {
        TTempFolder folder;
        QImage picture(8, 6, QImage::Format_RGB32);
        picture.fill(kBlue);
        QVERIFY(picture.save(QString::fromStdString((folder / "photo.jpg").string()), "jpeg", 100));
        QVERIFY(picture.save(QString::fromStdString((folder / "still.PNG").string()), "png"));
        WriteBytes(folder / "bad.bmp", "BM garbage");
        WriteBytes(folder / "bad.gif", "GIF89a garbage");

        TGIFImage image;
        QCOMPARE(LoadFailure(image, folder / "still.PNG"), QString());
        QCOMPARE(LoadFailure(image, folder / "photo.jpg"), QString());
        QCOMPARE(image.PictureSize(), QSize(8, 6));
        QCOMPARE(LoadFailure(image, folder / "drawing.wmf"),
                 QString("Unknown picture file extension (.wmf)"));
        QCOMPARE(LoadFailure(image, folder / "bad.bmp"), QString("Bitmap image is not valid"));
        const QString gifFailure = LoadFailure(image, folder / "bad.gif");
        QVERIFY(!gifFailure.isEmpty());
        QVERIFY2(!gifFailure.contains("bad.gif"), qPrintable(gifFailure)); // the caller's part
        QCOMPARE(image.PictureSize(), QSize(8, 6));
        QVERIFY(Near(Shot(image).pixelColor(4, 3), kBlue));
    }

    // Empty, cut short, scrambled: each either shows or fails with a message of its own,
    // keeping the picture before it.
    void damagedPicturesFailOrShowAndKeepTheOldOne() {
        TTempFolder folder;
        QImage picture(8, 6, QImage::Format_RGB32);
        picture.fill(kBlue);
        const std::pair<const char*, std::string> formats[] = {
            {"gif", GifOfScreen(8, 6, 3)},    {"bmp", Encoded(picture, "bmp")},
            {"png", Encoded(picture, "png")}, {"jpg", Encoded(picture, "jpeg")},
            {"ico", Encoded(picture, "ico")},
        };
        std::mt19937 random(1124);
        TGIFImage image;
        WriteBytes(folder / "still.png", formats[2].second);
        QCOMPARE(LoadFailure(image, folder / "still.png"), QString());
        for (const auto& [extension, whole] : formats) {
            std::string garbage(whole.size(), '\0');
            for (char& c : garbage)
                c = static_cast<char>(random());
            const std::string name = std::string("damaged.") + extension;
            const std::pair<std::string, bool> cases[] = {
                {"", true},
                {garbage, true},
                {whole.substr(0, 16) + garbage, false},
                {whole.substr(0, whole.size() / 2), false},
                {whole.substr(0, whole.size() - 1), false},
            };
            for (const auto& [bytes, mustFail] : cases) {
                WriteBytes(folder / name, bytes);
                const QString failure = LoadFailure(image, folder / name);
                const QString what =
                    QString("%1 of %2 bytes: \"%3\"").arg(extension).arg(bytes.size()).arg(failure);
                QVERIFY2(mustFail ? !failure.isEmpty() : true, qPrintable(what));
                // Every picture here is 8 x 6, so the old one, or the new one read as far as
                // it goes.
                QVERIFY2(image.PictureSize() == QSize(8, 6), qPrintable(what));
            }
        }
    }

    // Qt's readers refuse such a picture with no more than "Unable to read image data".
    void aHugePictureIsRefusedSayingItIsTooLarge() {
        TTempFolder folder;
        WriteBytes(folder / "huge.png", PngOfSize(30000, 30000));
        WriteBytes(folder / "huge.gif", GifOfScreen(30000, 30000, 1));
        TGIFImage image;
        const long before = PeakMegabytes();
        for (const char* name : {"huge.png", "huge.gif"}) {
            const QString failure = LoadFailure(image, folder / name);
            QVERIFY2(failure.contains("too large") && failure.contains("30000 x 30000"),
                     qPrintable(failure));
        }
        QVERIFY(!image.HasPicture());
        QVERIFY(PeakMegabytes() - before < 100);

        // A file larger than any picture may take is not even read.
        WriteBytes(folder / "big.bmp", "BM");
        std::filesystem::resize_file(folder / "big.bmp", (kPictureMegabytes << 20) + 1); // sparse
        const QString failure = LoadFailure(image, folder / "big.bmp");
        QCOMPARE(failure, QString("The picture file is too large: 129 MB, and a picture may take "
                                  "at most 128 MB."));
    }

    // Frames of a large screen are decoded anew as they show rather than all kept.
    void aLongAnimationOfALargeScreenPlaysInBoundedMemory() {
        TTempFolder folder;
        WriteBytes(folder / "long.gif", GifOfScreen(2000, 2000, 100)); // 16 MB a frame
        TGIFImage image;
        image.resize(40, 40);
        image.LoadFromFile(QString::fromStdString((folder / "long.gif").string()));
        image.show();
        QVERIFY(QTest::qWaitForWindowExposed(&image));
        const long before = PeakMegabytes();
        PaintCounter counter;
        image.installEventFilter(&counter);
        QTRY_VERIFY_WITH_TIMEOUT(counter.Paints >= 80, 20000);
        image.removeEventFilter(&counter);
        QVERIFY(image.Animated());
        // Kept, 80 frames would take 1280 MB.
        QVERIFY2(PeakMegabytes() - before < 600,
                 qPrintable(QString("%1 MB more").arg(PeakMegabytes() - before)));
    }

    void autoSizeCenterAndStretchPlaceThePicture() {
        SKIP_WITHOUT_CHILD_PROGRAMS();
        TTempFolder folder;
        TGIFImage image;
        image.resize(10, 4);
        // Columns white, red, blue, green.
        image.LoadFromFile(
            MakeGif(folder, "c.gif",
                    {"-size", "1x1", "xc:white", "xc:red", "xc:blue", "xc:green", "+append"}));
        QCOMPARE(Shot(image).pixelColor(1, 0), kRed); // top-left
        image.SetCenter(true);
        QCOMPARE(Shot(image).pixelColor(3 + 1, 1), kRed);
        image.resize(2, 1); // smaller than the picture: its middle shows
        QCOMPARE(Shot(image).pixelColor(0, 0), kRed);
        QCOMPARE(Shot(image).pixelColor(1, 0), kBlue);
        image.SetAutoSize(true);
        QCOMPARE(image.size(), QSize(4, 1));

        image.SetAutoSize(false);
        image.SetStretch(true);
        image.resize(40, 8);
        QVERIFY(image.testAttribute(Qt::WA_OpaquePaintEvent));
        const QImage shot = Shot(image);
        QVERIFY(Near(shot.pixelColor(15, 0), kRed));
        QVERIFY(Near(shot.pixelColor(25, 4), kBlue));
        QVERIFY(Near(shot.pixelColor(35, 7), kGreen));
    }
};

QTEST_MAIN(GIFImageTest)
#include "GIFImageTest.moc"
