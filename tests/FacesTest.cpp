#include "controls/Fonts.h"
#include "controls/Marquee.h"

#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QTest>

// Where the faces the display was laid out for are missing (a plain Wine has no Arial, and maps
// its dialogs' face to a mathematical one), text still fits its boxes and shows.
class FacesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareFaces(); }

    void theScrollMessageAndATextFieldShowTheirText() {
        TMarquee message;
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(48);
        message.setFont(font);
        message.SetBorderStyle(bsNone);
        message.SetAutoSizeHeight(true);
        message.SetScrollText("Birthday parties every weekend");
        QVERIFY2(message.height() >= 50 && message.height() <= 60,
                 qPrintable(QFontInfo(font).family()));

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
