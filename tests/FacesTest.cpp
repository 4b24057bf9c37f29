#include "controls/Fonts.h"
#include "controls/Marquee.h"

#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QTest>

// What the display is drawn in where the faces it was laid out for are missing: a Windows
// without Arial (a plain Wine, say) must not draw the display in a serif face of other metrics.
class FacesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareFaces(); }

    void eachFaceIsItsMetricTwinWhereItIsMissing() {
        const auto drawnIn = [](const char* face) {
            return QFontInfo(QFont(QString::fromLatin1(face))).family();
        };
        QVERIFY2(QStringList({"Arial", "Liberation Sans", "Arimo"}).contains(drawnIn("Arial")),
                 qPrintable(drawnIn("Arial")));
        QVERIFY2(QStringList({"Courier New", "Liberation Mono", "Cousine"})
                     .contains(drawnIn("Courier New")),
                 qPrintable(drawnIn("Courier New")));

        // The scroll message, as the display makes it: its band fits the letters' cell.
        TMarquee message;
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(48);
        message.setFont(font);
        message.SetBorderStyle(bsNone);
        message.SetAutoSizeHeight(true);
        message.SetScrollText("Birthday parties every weekend");
        QVERIFY2(message.height() >= 50 && message.height() <= 60,
                 qPrintable(QString::number(message.height())));
    }

    // The dialogs' text fields show what they hold, in the application's own face.
    void aTextFieldShowsItsText() {
        const auto darkPixels = [](const QString& text) {
            QLineEdit field(text);
            field.resize(120, field.sizeHint().height());
            const QImage shot = field.grab().toImage();
            int dark = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    dark += qGray(shot.pixel(x, y)) < 100;
            return dark;
        };
        QVERIFY2(darkPixels("5 minutes") > darkPixels("") + 20,
                 qPrintable(QFontInfo(QApplication::font()).family()));
    }
};

QTEST_MAIN(FacesTest)
#include "FacesTest.moc"
