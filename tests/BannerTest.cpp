#include "controls/Banner.h"
#include "support/PaintCounter.h"
#include "support/TempFolder.h"

#include <QPainter>
#include <QProcess>
#include <QtTest>

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
        return QString::fromLatin1(error.what());
    }
    return {};
}

// A window that paints its own background, as the display paints its background picture.
class TGreenWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kGreen); }
};

} // namespace

class BannerTest : public QObject {
    Q_OBJECT

private slots:
    void aTransparentColourShowsWhatLiesBeneath() {
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

    void autoSizeCenterAndStretchPlaceThePicture() {
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

QTEST_MAIN(BannerTest)
#include "BannerTest.moc"
