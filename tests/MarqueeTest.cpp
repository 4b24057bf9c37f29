#include "controls/Marquee.h"
#include "controls/Fonts.h"
#include "controls/TextStamp.h"
#include "support/Ink.h"
#include "support/PaintCounter.h"
#include "support/RecordingReporter.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <random>

namespace {

// The main window's marquee, scaled down: black, white text, no border, centred.
struct TFixture {
    TMarquee Marquee;

    explicit TFixture(const std::string& text = "Book now ") {
        QFont font("Liberation Sans");
        font.setPixelSize(20);
        Marquee.setFont(font);
        Marquee.SetBorderStyle(bsNone);
        Marquee.SetColor(Qt::black);
        Marquee.SetFontColor(Qt::white);
        Marquee.SetScrollAmount(5);
        Marquee.SetScrollText(text);
        Marquee.setGeometry(0, 0, 200, 40);
        Marquee.show();
    }
    QImage Shot() { return Marquee.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

} // namespace

class MarqueeTest : public QObject {
    Q_OBJECT

private slots:
    // The stamp must leave exactly the pixels that drawing the text there would: any text,
    // face, colour and place, also partly or wholly outside the strip, reused or redrawn.
    void aStampedTextIsTheDrawnText() {
        std::mt19937 random(7);
        const auto pick = [&random](int low, int high) {
            return std::uniform_int_distribution(low, high)(random);
        };
        const QStringList faces{"Liberation Sans", "Liberation Serif", "Tahoma", "Roboto"};
        TTextStamp stamp;
        QString text;
        QFont font;
        int bandHeight = 0;
        for (int round = 0; round < 300; ++round) {
            if (round % 15 == 0) // new texts of one height reuse the stamp's image
                bandHeight = pick(10, 60);
            if (round % 5 == 0) { // as the strip's window changes every few steps
                text.clear();
                for (int i = pick(1, 30); i > 0; --i)
                    text += QChar(pick(0, 9) ? pick(0x20, 0x7E) : pick(0xA0, 0xFF));
                font = QFont(faces[pick(0, faces.size() - 1)]);
                font.setPixelSize(pick(8, 48));
                font.setItalic(pick(0, 1));
                font.setBold(pick(0, 1));
            }
            const QColor background = round % 7 ? QColor(Qt::black) : QColor(0, 0, 128);
            const QColor pen = round % 11 ? QColor(Qt::white) : QColor(Qt::yellow);
            QImage stamped(pick(50, 400), pick(30, 90), QImage::Format_RGB32);
            stamped.fill(Qt::darkGreen);
            QImage drawn = stamped;
            const QRect band(0, pick(0, 20), stamped.width(), bandHeight);
            const int x = pick(-400, 400), baseline = pick(0, 50);
            QPainter onStamped(&stamped), onDrawn(&drawn);
            for (QPainter* painter : {&onStamped, &onDrawn}) {
                painter->setClipRect(band);
                painter->fillRect(band, background);
            }
            stamp.Draw(onStamped, text, x, band.top(), band.height(), baseline, font, pen,
                       background);
            onDrawn.setFont(font);
            onDrawn.setPen(pen);
            onDrawn.drawText(QPoint(x, band.top() + baseline), text);
            onStamped.end();
            onDrawn.end();
            QVERIFY2(stamped == drawn,
                     qPrintable(QString("round %1: \"%2\" at %3").arg(round).arg(text).arg(x)));
        }
    }

    // A step moves the shown pixels and draws only the columns coming in: on the control and on
    // the screen the strip must stay the text's copies, drawn one period apart from where the
    // run started, through characters leaving, copies meeting and steps taken between paints.
    void aScrolledStripIsTheTextsCopies() {
        for (const char* text : {"Book now ", "fly/jj", "A"}) {
            TFixture f(text);
            f.Marquee.SetScrollDelay(1'000'000); // only the steps taken here
            f.Marquee.SetScrollAmount(7);        // steps that do not divide the width
            QFont font = f.Marquee.font();
            font.setItalic(std::string_view(text) == "fly/jj"); // glyphs past their advance
            f.Marquee.setFont(font);
            const TCellFont cell = CellOfFont(font);
            int period = 0;
            for (const char c : std::string_view(text))
                period += f.Marquee.MeasureWidth(std::string(1, c));
            const QRect band(0, (40 - cell.Height()) / 2, 200, cell.Height());
            f.Marquee.SetActive(true);
            for (int step = 1; step <= 150; ++step) {
                f.Marquee.TimerTick();
                if (step % 7 == 0)
                    continue; // two steps before the next paint
                QCoreApplication::processEvents();
                QImage expected(200, 40, QImage::Format_RGB32);
                expected.fill(Qt::black);
                QPainter painter(&expected);
                painter.setClipRect(band);
                painter.setFont(font);
                painter.setPen(Qt::white);
                for (int x = 200 - 7 * step; x < 200 + cell.Height(); x += period)
                    painter.drawText(QPoint(x, band.top() + cell.Ascent), QString(text));
                painter.end();
                const QImage screen = QGuiApplication::primaryScreen()
                                          ->grabWindow(f.Marquee.winId())
                                          .toImage()
                                          .convertToFormat(QImage::Format_RGB32)
                                          .copy(0, 0, 200, 40);
                QVERIFY2(f.Shot() == expected && screen == expected,
                         qPrintable(QString("\"%1\", step %2").arg(text).arg(step)));
            }
        }
    }

    void constructionValues() {
        TMarquee marquee;
        QCOMPARE(marquee.size(), QSize(217, 21));
        QCOMPARE(marquee.Active(), false);
        QCOMPARE(marquee.AutoCenter(), true);
        QCOMPARE(marquee.AutoSizeHeight(), false);
        QCOMPARE(marquee.BorderStyle(), bsSingle);
        QCOMPARE(marquee.Color(), QColor(Qt::white));
        QCOMPARE(marquee.NewControlCode(), ' ');
        QCOMPARE(marquee.ScrollAmount(), std::uint8_t{1});
        QCOMPARE(marquee.ScrollDelay(), 50);
        QCOMPARE(marquee.ScrollStyle(), ssScroll);
        QCOMPARE(marquee.ScrollText(), std::string("+++ Marquee 2.4 "));
        QCOMPARE(marquee.StripControlCodes(), true);
        QCOMPARE(marquee.TimerRunning(), false);
        QCOMPARE(marquee.CurrentOutput(), std::string());
    }

    void anEmptyTextWaitsAndALaterTextStarts() {
        TFixture f("");
        f.Marquee.SetActive(true);
        QVERIFY(!f.Marquee.TimerRunning());
        QCOMPARE(f.Marquee.CurrentOutput(), std::string());
        QVERIFY(Filled(f.Shot(), QRect(0, 0, 200, 40), Qt::black));

        f.Marquee.SetScrollText("Go");
        QVERIFY(f.Marquee.TimerRunning());
        f.Marquee.TimerTick();
        QCOMPARE(f.Marquee.CurrentOutput(), std::string("G")); // only what reaches the edge
    }

    void stepsDrawTheStripAndStoppingShowsTheStart() {
        TFixture f;
        f.Marquee.SetActive(true);
        f.Marquee.TimerTick();
        QCOMPARE(f.Marquee.Styles().ScrollPos(), 195);
        for (int step = 0; step < 20; ++step)
            f.Marquee.TimerTick();
        const int pos = f.Marquee.Styles().ScrollPos();
        QCOMPARE(pos, 95);
        QImage shot = f.Shot();
        const QRect ink = InkBounds(shot, shot.rect());
        QVERIFY2(qAbs(ink.left() - pos) <= 2, qPrintable(QString::number(ink.left())));
        QVERIFY(ink.top() >= (40 - f.Marquee.MeasureHeight()) / 2);
        QVERIFY(Filled(shot, QRect(0, 0, pos - 1, 40), Qt::black));

        // Stopped: the text from x = 0, centred in the height.
        f.Marquee.SetActive(false);
        QVERIFY(!f.Marquee.TimerRunning());
        QCOMPARE(f.Marquee.CurrentOutput(), std::string());
        shot = f.Shot();
        const QRect still = InkBounds(shot, shot.rect());
        QVERIFY(still.left() <= 3);
        QVERIFY(qAbs((still.top() + still.bottom()) / 2 - 20) <= 4);

        // Reactivated, the run starts afresh from the right edge.
        f.Marquee.SetActive(true);
        f.Marquee.TimerTick();
        QCOMPARE(f.Marquee.Styles().ScrollPos(), 195);
    }

    void aStoppedMarqueeShowsANewTextAtOnce() {
        TFixture f("First");
        PaintCounter counter;
        f.Marquee.installEventFilter(&counter);
        QCoreApplication::processEvents();
        const int before = counter.Paints;
        f.Marquee.SetScrollText("Second");
        QCoreApplication::processEvents();
        QVERIFY(counter.Paints > before);
    }

    void itsOwnTimerMovesIt() {
        TFixture f;
        f.Marquee.SetScrollDelay(5);
        f.Marquee.SetActive(true);
        QTRY_VERIFY_WITH_TIMEOUT(f.Marquee.Styles().ScrollPos() < 180, 2000);
    }

    void hidingPausesAndShowingResumesWhereItStood() {
        TFixture f;
        f.Marquee.SetActive(true);
        for (int step = 0; step < 5; ++step)
            f.Marquee.TimerTick();
        f.Marquee.hide();
        QVERIFY(!f.Marquee.TimerRunning());
        QVERIFY(f.Marquee.Active());
        f.Marquee.show();
        QVERIFY(f.Marquee.TimerRunning());
        f.Marquee.TimerTick();
        QCOMPARE(f.Marquee.Styles().ScrollPos(), 170);

        f.Marquee.setEnabled(false);
        QVERIFY(!f.Marquee.TimerRunning());
        f.Marquee.setEnabled(true);
        f.Marquee.TimerTick();
        QCOMPARE(f.Marquee.Styles().ScrollPos(), 165);
    }

    // Its own Visible and Enabled pause it, not its window's; a hidden one still takes its
    // size at once.
    void itsOwnVisibilityAndEnablingDecide() {
        QWidget window;
        auto* marquee = new TMarquee(&window);
        marquee->SetActive(true);
        QVERIFY(marquee->TimerRunning());
        marquee->hide();
        QVERIFY(!marquee->TimerRunning());
        marquee->show();
        window.show();
        window.hide();
        window.setEnabled(false);
        QVERIFY(marquee->TimerRunning());
        marquee->setEnabled(false);
        QVERIFY(!marquee->TimerRunning());
        marquee->setEnabled(true);
        window.setEnabled(true);
        QVERIFY(marquee->TimerRunning());

        marquee->TimerTick();
        marquee->SetScrollText("");
        window.show();
        QVERIFY(!marquee->TimerRunning());
        QCOMPARE(marquee->CurrentOutput(), std::string());

        window.hide();
        marquee->SetAutoSizeHeight(true);
        int resizes = 0;
        marquee->OnResize = [&](TMarquee*) {
            ++resizes;
        };
        marquee->setGeometry(5, 5, 300, 100);
        QCOMPARE(resizes, 1);
        QCOMPARE(marquee->ClientHeight(), marquee->MeasureHeight() + 2);
    }

    void textChangesRestartOnlyWhenTheTextDiffers() {
        TFixture f("A\r\nB ");
        QCOMPARE(f.Marquee.ScrollText(), std::string("A  B "));
        f.Marquee.SetActive(true);
        for (int step = 0; step < 4; ++step)
            f.Marquee.TimerTick();
        f.Marquee.SetScrollText("A  B ");
        f.Marquee.TimerTick();
        QCOMPARE(f.Marquee.Styles().ScrollPos(), 175);
        // Control codes never match the stored text, so this restarts.
        f.Marquee.SetScrollText("A\r\nB ");
        f.Marquee.TimerTick();
        QCOMPARE(f.Marquee.Styles().ScrollPos(), 195);

        RecordingReporter reporter;
        f.Marquee.SetNewControlCode('\t');
        QCOMPARE(reporter.Messages,
                 QStringList{"You cannot enter characters which are control codes themselves!"});
        QCOMPARE(f.Marquee.NewControlCode(), ' ');
        f.Marquee.SetNewControlCode('\0');
        f.Marquee.SetScrollText("A\r\nB");
        QCOMPARE(f.Marquee.ScrollText(), std::string("AB"));

        f.Marquee.SetStripControlCodes(false);
        f.Marquee.SetScrollText("C\tD");
        QCOMPARE(f.Marquee.ScrollText(), std::string("C\tD"));
        f.Marquee.SetNewControlCode('_');
        f.Marquee.SetStripControlCodes(true);
        QCOMPARE(f.Marquee.ScrollText(), std::string("C_D"));
    }

    void heightFollowsTheTextAndOutsideChangesReportOnce() {
        TFixture f;
        int resizes = 0;
        f.Marquee.OnResize = [&](TMarquee*) {
            ++resizes;
        };
        f.Marquee.SetAutoSizeHeight(true);
        const int height = f.Marquee.MeasureHeight() + 2;
        QCOMPARE(f.Marquee.ClientHeight(), height);
        resizes = 0;

        f.Marquee.resize(300, 100);
        QCOMPARE(f.Marquee.ClientHeight(), height);
        QCOMPARE(resizes, 1);
        f.Marquee.move(10, 20);
        QCOMPARE(resizes, 2);
        f.Marquee.setGeometry(0, 0, 150, 90);
        QCOMPARE(f.Marquee.ClientHeight(), height);
        QCOMPARE(resizes, 3);

        f.Marquee.SetBorderStyle(bsSingle);
        QCOMPARE(f.Marquee.ClientHeight(), height);
        QVERIFY(f.Marquee.height() > height);

        QFont bigger = f.Marquee.font();
        bigger.setPixelSize(40);
        f.Marquee.setFont(bigger);
        QVERIFY(f.Marquee.MeasureHeight() > height);
        QCOMPARE(f.Marquee.ClientHeight(), f.Marquee.MeasureHeight() + 2);
        f.Marquee.SetScrollText("");
        QCOMPARE(f.Marquee.ClientHeight(), f.Marquee.MeasureHeight() + 2);
    }

    void bordersNarrowTheClientArea() {
        TFixture f;
        QCOMPARE(f.Marquee.ClientWidth(), 200);
        f.Marquee.SetBorderStyle(bsSingle); // a sunken edge with the 3-D look
        QCOMPARE(f.Marquee.ClientWidth(), 196);
        f.Marquee.SetCtl3D(false); // a plain line without it
        QCOMPARE(f.Marquee.ClientWidth(), 198);
        QCOMPARE(f.Shot().pixelColor(0, 20), QColor(Qt::black));
        f.Marquee.SetColor(Qt::white);
        f.Marquee.SetActive(true);
        f.Marquee.TimerTick();
        QCOMPARE(f.Marquee.Styles().ScrollPos(), 193); // from the client's right edge
        const QImage shot = f.Shot();
        QCOMPARE(shot.pixelColor(1, 20), QColor(Qt::white));
        QVERIFY(shot.pixelColor(0, 20) != QColor(Qt::white));
    }

    void styleAndColourChangesTakeEffectAtOnce() {
        TFixture f;
        f.Marquee.SetActive(true);
        for (int step = 0; step < 3; ++step)
            f.Marquee.TimerTick();
        // The new style starts from its reset without waiting for a tick.
        f.Marquee.SetScrollStyle(ssBounce);
        QCOMPARE(f.Marquee.Styles().BouncePos(), 195);
        QVERIFY(f.Marquee.TimerRunning());
        f.Marquee.SetScrollStyle(ssBlink);
        QVERIFY(f.Marquee.Styles().BlinkOn());
        QCOMPARE(f.Marquee.CurrentOutput(), std::string("Book now "));

        f.Marquee.SetColor(Qt::blue);
        const QImage shot = f.Shot();
        QVERIFY(Filled(shot, QRect(0, 0, 200, 5), Qt::blue));

        // While stopped, a style change is only stored.
        f.Marquee.SetActive(false);
        f.Marquee.SetScrollStyle(ssScroll);
        QCOMPARE(f.Marquee.Styles().BlinkOn(), true);
    }
};

QTEST_MAIN(MarqueeTest)
#include "MarqueeTest.moc"
