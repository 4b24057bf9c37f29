#include "controls/Banner.h"
#include "support/PaintCounter.h"
#include "support/TempFolder.h"

#include <QPainter>
#include <QtTest>

#include <string>
#include <vector>

namespace {

const QColor kRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kGreen(0x00, 0x80, 0x00);
const QColor kWhite(0xFF, 0xFF, 0xFF);

// A GIF89a with a four-colour table (white, red, blue, green) whose frames are given as one
// colour index per pixel, row by row. Qt writes no GIFs, so the bytes are put together here.
std::string MakeGif(int width, int height, const std::vector<std::vector<int>>& frames,
                    int transparent = -1, int delayCs = 0, int loops = -1) {
    std::string gif = "GIF89a";
    const auto put16 = [&gif](int value) {
        gif += static_cast<char>(value & 0xFF);
        gif += static_cast<char>((value >> 8) & 0xFF);
    };
    put16(width);
    put16(height);
    gif += std::string("\x91\x00\x00", 3); // a table of 4 colours; background 0; no aspect
    gif += std::string("\xFF\xFF\xFF\xFF\x00\x00\x00\x00\xFF\x00\x80\x00", 12);
    if (loops >= 0) {
        gif += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
        put16(loops);
        gif += '\0';
    }
    for (const auto& pixels : frames) {
        gif += "\x21\xF9\x04";
        gif += static_cast<char>(transparent >= 0 ? 0x05 : 0x04); // keep; transparent flag
        put16(delayCs);
        gif += static_cast<char>(transparent >= 0 ? transparent : 0);
        gif += '\0';
        gif += '\x2C';
        put16(0);
        put16(0);
        put16(width);
        put16(height);
        gif += '\0';
        // Uncompressed LZW: 3-bit literal codes, with a clear code after every two so the
        // table never grows to 4-bit codes.
        std::string data;
        unsigned bits = 0, count = 0;
        const auto code = [&](unsigned value) {
            bits |= value << count;
            count += 3;
            while (count >= 8) {
                data += static_cast<char>(bits & 0xFF);
                bits >>= 8;
                count -= 8;
            }
        };
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            if (i % 2 == 0)
                code(4);
            code(static_cast<unsigned>(pixels[i]));
        }
        code(5);
        if (count > 0)
            data += static_cast<char>(bits & 0xFF);
        gif += '\x02';
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::string block = data.substr(at, 255);
            gif += static_cast<char>(block.size());
            gif += block;
        }
        gif += '\0';
    }
    gif += '\x3B';
    return gif;
}

QString Name(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Stretching smooths, so a stretched colour is only close to the picture's.
bool Near(QColor colour, QColor expected) {
    return qAbs(colour.red() - expected.red()) <= 16 &&
           qAbs(colour.green() - expected.green()) <= 16 &&
           qAbs(colour.blue() - expected.blue()) <= 16;
}

// A window that paints its own background, as the display paints its background picture.
class TGreenWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kGreen); }
};

QImage Shot(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The message a load fails with; empty when it does not fail.
QString LoadFailure(TGIFImage& image, const QString& fileName) {
    try {
        image.LoadFromFile(fileName);
    } catch (const TPictureError& error) {
        return QString::fromLatin1(error.what());
    }
    return {};
}

} // namespace

class BannerTest : public QObject {
    Q_OBJECT

private slots:
    void aTransparentColourShowsWhatLiesBeneath() {
        TTempFolder folder;
        // Left half red, right half transparent.
        WriteBytes(folder / "t.gif", MakeGif(4, 2, {{1, 1, 0, 0, 1, 1, 0, 0}}, 0));
        TGreenWindow parent;
        parent.resize(10, 10);
        TGIFImage image(&parent);
        image.SetAutoSize(true);
        image.LoadFromFile(Name(folder / "t.gif"));
        QCOMPARE(image.size(), QSize(4, 2));
        QVERIFY(!image.Animated()); // one frame: a plain picture

        const QImage shot = Shot(parent);
        QCOMPARE(shot.pixelColor(1, 1), kRed);
        QCOMPARE(shot.pixelColor(2, 0), kGreen);
        QCOMPARE(shot.pixelColor(3, 1), kGreen);
    }

    void anAnimationLoopsForEverAndRepaintsOnlyItsPicture() {
        TTempFolder folder;
        // Red, then blue, 20 ms each; the file asks for two plays only.
        WriteBytes(folder / "a.gif",
                   MakeGif(4, 4, {std::vector<int>(16, 1), std::vector<int>(16, 2)}, -1, 2, 1));
        TGIFImage image;
        image.SetCenter(true);
        image.resize(40, 40);
        image.LoadFromFile(Name(folder / "a.gif"));
        QCOMPARE(image.PictureSize(), QSize(4, 4));
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

    void aFailedLoadSaysWhyAndKeepsTheOldPicture() {
        TTempFolder folder;
        QImage blue(3, 3, QImage::Format_RGB32);
        blue.fill(kBlue);
        QVERIFY(blue.save(Name(folder / "old.png")));
        WriteBytes(folder / "bad.bmp", std::string("BM\x10\x00\x00\x00garbage", 13));
        WriteBytes(folder / "bad.gif", "GIF89a\x04\x00\x04");
        WriteBytes(folder / "drawing.wmf", "\xD7\xCD\xC6\x9A");

        TGIFImage image;
        image.LoadFromFile(Name(folder / "old.png"));
        QCOMPARE(LoadFailure(image, Name(folder / "drawing.wmf")),
                 QString("Unknown picture file extension (.wmf)"));
        QCOMPARE(LoadFailure(image, Name(folder / "bad.bmp")),
                 QString("Bitmap image is not valid"));
        const QString gifFailure = LoadFailure(image, Name(folder / "bad.gif"));
        QVERIFY(!gifFailure.isEmpty());
        QVERIFY2(!gifFailure.contains("bad.gif"), qPrintable(gifFailure));
        QCOMPARE(image.PictureSize(), QSize(3, 3));
        QCOMPARE(Shot(image).pixelColor(1, 1), kBlue);
    }

    void jpegAndPngLoadWhateverTheCaseOfTheirExtension() {
        TTempFolder folder;
        QImage picture(8, 6, QImage::Format_RGB32);
        picture.fill(kRed);
        QVERIFY(picture.save(Name(folder / "photo.jpg"), "jpeg", 100));
        QVERIFY(picture.save(Name(folder / "still.PNG"), "png"));
        TGIFImage image;
        image.LoadFromFile(Name(folder / "photo.jpg"));
        QCOMPARE(image.PictureSize(), QSize(8, 6));
        QVERIFY(Shot(image).pixelColor(4, 3).red() > 0xF0);
        QVERIFY(image.HasPicture());
        image.LoadFromFile(Name(folder / "still.PNG"));
        QCOMPARE(image.PictureSize(), QSize(8, 6));
    }

    void autoSizeCenterAndStretchPlaceThePicture() {
        TTempFolder folder;
        // Columns white, red, blue, green.
        WriteBytes(folder / "c.gif", MakeGif(4, 1, {{0, 1, 2, 3}}));
        TGIFImage image;
        image.resize(10, 4);
        image.LoadFromFile(Name(folder / "c.gif"));
        QCOMPARE(image.size(), QSize(10, 4)); // without AutoSize
        QCOMPARE(Shot(image).pixelColor(1, 0), kRed);

        image.SetCenter(true);
        QCOMPARE(Shot(image).pixelColor(3 + 1, 1), kRed);
        image.resize(2, 1); // smaller than the picture: its middle shows
        QImage shot = Shot(image);
        QCOMPARE(shot.pixelColor(0, 0), kRed);
        QCOMPARE(shot.pixelColor(1, 0), kBlue);

        image.SetAutoSize(true);
        QCOMPARE(image.size(), QSize(4, 1));

        image.SetAutoSize(false);
        image.SetStretch(true);
        image.resize(40, 8);
        QVERIFY(image.testAttribute(Qt::WA_OpaquePaintEvent));
        shot = Shot(image);
        QVERIFY(Near(shot.pixelColor(5, 7), kWhite));
        QVERIFY(Near(shot.pixelColor(15, 0), kRed));
        QVERIFY(Near(shot.pixelColor(25, 4), kBlue));
        QVERIFY(Near(shot.pixelColor(35, 7), kGreen));

        // A picture with transparent parts lets what lies beneath be painted.
        WriteBytes(folder / "t.gif", MakeGif(2, 1, {{0, 1}}, 0));
        image.LoadFromFile(Name(folder / "t.gif"));
        QVERIFY(!image.testAttribute(Qt::WA_OpaquePaintEvent));
    }
};

QTEST_MAIN(BannerTest)
#include "BannerTest.moc"
