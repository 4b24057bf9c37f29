#include "controls/Polygon.h"
#include "support/PaintCounter.h"

#include <QApplication>
#include <QtTest>

namespace {

const QColor kBlack(0x00, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kYellow(0xFF, 0xFF, 0x00);

// Still corners on an axis-parallel rectangle, so every outline pixel is known.
void SetRectangle(TPolygon& polygon, int left, int top, int right, int bottom) {
    polygon.Model().SetCorner(1, {left, top}, {0, 0});
    polygon.Model().SetCorner(2, {right, top}, {0, 0});
    polygon.Model().SetCorner(3, {right, bottom}, {0, 0});
    polygon.Model().SetCorner(4, {left, bottom}, {0, 0});
}

// Renders, then checks every pixel: the black frame, the rectangle's outline in `line`, the
// rest in `back`. Red shows anything the paint left out.
void CheckFrame(TPolygon& polygon, QRect outline, QColor line, QColor back) {
    QImage image(polygon.size(), QImage::Format_RGB32);
    image.fill(Qt::red);
    polygon.render(&image);
    const QRect inner = outline.adjusted(1, 1, -1, -1);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor expected = back;
            if (x == 0 || y == 0 || x == image.width() - 1 || y == image.height() - 1)
                expected = kBlack;
            if (outline.contains(x, y) && !inner.contains(x, y))
                expected = line;
            if (image.pixelColor(x, y) != expected)
                QFAIL(qPrintable(
                    QString("%1,%2 is %3").arg(x).arg(y).arg(image.pixelColor(x, y).name())));
        }
    }
}

} // namespace

class PolygonTest : public QObject {
    Q_OBJECT

private slots:
    void defaultsAndWhichSettersRepaintAtOnce() {
        TPolygon polygon;
        QCOMPARE(polygon.size(), QSize(50, 50));
        QCOMPARE(polygon.Interval(), 100);
        QVERIFY(!polygon.Enabled() && !polygon.Animating());
        polygon.show();
        QVERIFY(QTest::qWaitForWindowExposed(&polygon));
        QCoreApplication::processEvents();
        PaintCounter counter;
        polygon.installEventFilter(&counter);

        polygon.SetLineColor(kBlue); // the defaults: nothing to do
        polygon.SetBackColor(kWhite);
        QCOMPARE(counter.Paints, 0);
        // Each of these paints before the event loop runs again; Enabled and Interval even
        // when unchanged.
        polygon.SetLineColor(kYellow);
        polygon.SetBackColor(kBlack);
        polygon.SetEnabled(false);
        polygon.SetInterval(100);
        polygon.Step();
        QCOMPARE(counter.Paints, 5);
    }

    void enabledRunsTheTimerEvenHidden() {
        TPolygon polygon;
        SetRectangle(polygon, 10, 10, 30, 30);
        polygon.Model().SetCorner(1, {10, 10}, {1, 0});
        polygon.SetInterval(5);
        QVERIFY(!polygon.Animating());
        polygon.SetEnabled(true);
        QTRY_VERIFY(polygon.Model().Corners()[0].X >= 13);
        QVERIFY(!polygon.isVisible());

        polygon.SetEnabled(false);
        const TPolygonModel::TOutline stopped = polygon.Model().Corners();
        QTest::qWait(30);
        QCOMPARE(polygon.Model().Corners(), stopped);

        // Qt's own flag is not this one: it neither starts nor stops the animation.
        polygon.setEnabled(false);
        polygon.SetEnabled(true);
        QVERIFY(polygon.Animating());
        polygon.setEnabled(true);
        QVERIFY(polygon.Animating());
        // A zero interval would fire on every pass of the event loop: it holds still instead.
        polygon.SetInterval(0);
        QVERIFY(!polygon.Animating());
        polygon.SetInterval(10);
        QVERIFY(polygon.Animating());
    }

    void framesShowTheOutlineInsideTheBlackFrame() {
        TPolygon polygon;
        SetRectangle(polygon, 5, 5, 20, 20);
        CheckFrame(polygon, QRect(QPoint(5, 5), QPoint(20, 20)), kBlue, kWhite);
        // The next frame starts clear.
        SetRectangle(polygon, 25, 7, 40, 44);
        CheckFrame(polygon, QRect(QPoint(25, 7), QPoint(40, 44)), kBlue, kWhite);

        // As on the main window: resized after the corners were placed; the frame is lost on
        // the black back, unless the outline lies on it.
        polygon.setGeometry(570, 10, 50, 73);
        polygon.SetLineColor(kYellow);
        polygon.SetBackColor(kBlack);
        SetRectangle(polygon, 1, 1, 48, 71);
        CheckFrame(polygon, QRect(QPoint(1, 1), QPoint(48, 71)), kYellow, kBlack);
        SetRectangle(polygon, 0, 0, 49, 72);
        CheckFrame(polygon, QRect(QPoint(0, 0), QPoint(49, 72)), kYellow, kBlack);
    }

    void stepMovesWithinTheCurrentSize() {
        TPolygon polygon;
        polygon.resize(50, 73);
        SetRectangle(polygon, 10, 10, 30, 30);
        polygon.Model().SetCorner(3, {30, 66}, {0, 5}); // inside 73 rows, not 50
        polygon.Model().SetCorner(2, {46, 10}, {5, 0});
        polygon.Step();
        QCOMPARE(polygon.Model().Corners()[2], (TPolygonPoint{30, 71}));
        QCOMPARE(polygon.Model().Corners()[1], (TPolygonPoint{48, 10}));
        QVERIFY(polygon.Model().Velocities()[1].X < 0);
    }
};

QTEST_MAIN(PolygonTest)
#include "PolygonTest.moc"
