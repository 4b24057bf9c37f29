// The least a Qt program can do to scroll the display's scroll message: the same strip, font,
// text, step and interval as the full screen at 1920x1080 with the built-in settings, on a plain
// widget that moves what it shows by the step and draws only the columns coming in at the
// right. bench/idle_instructions.sh measures the display against it: what scrolling costs at
// the least, on any machine.
// Usage: scroll_anchor

#include "app/DisplayRules.h"
#include "controls/Fonts.h"
#include "settings/SettingsTable.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QStaticText>
#include <QTimer>
#include <QWidget>

namespace {

// The display's scroll message: its step in pixels (the "ScrollSpeed" setting) and interval.
constexpr int kStep = 5;
constexpr int kIntervalMs = 50;
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

class TAnchorStrip : public QWidget {
public:
    TAnchorStrip() : QWidget(nullptr, Qt::FramelessWindowHint) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        FFont.setFamily(QStringLiteral("Arial"));
        FFont.setPixelSize(48);
        const QString text = QString::fromUtf8(ScrollMessageText(kAdvertisingLine));
        FText.setTextFormat(Qt::PlainText);
        FText.setText(text);
        FText.prepare(QTransform(), FFont);
        const QFontMetrics metrics(FFont);
        FTextWidth = metrics.horizontalAdvance(text);
        // The strip as the display sizes it: its font's cell and a pixel above and below, the
        // text's baseline where the display puts it, ten pixels above the screen's bottom.
        const TCellFont cell = CellOfFont(FFont);
        const int height = cell.Height() + 2;
        FTop = (height - cell.Height()) / 2 + cell.Ascent - metrics.ascent();
        setGeometry(0, kScreenHeight - height - 10, kScreenWidth, height);
        FTimer.setTimerType(Qt::CoarseTimer);
        FTimer.setInterval(kIntervalMs);
        connect(&FTimer, &QTimer::timeout, this, &TAnchorStrip::Tick);
        FTimer.start();
    }

    // One step: what is shown moves left, and only the step's columns at the right are new.
    void Tick() {
        FOffset = (FOffset + kStep) % FTextWidth;
        scroll(-kStep, 0);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        const QRect area = event->rect();
        QPainter painter(this);
        painter.fillRect(area, Qt::black);
        painter.setClipRect(area);
        painter.setPen(Qt::white);
        painter.setFont(FFont);
        // The text repeats without end; only the copies reaching into the area are drawn.
        for (int x = -FOffset; x <= area.right(); x += FTextWidth)
            if (x + FTextWidth > area.left())
                painter.drawStaticText(x, FTop, FText);
    }

private:
    QFont FFont;
    QStaticText FText;
    int FTextWidth = 1;
    int FTop = 0;
    int FOffset = 0;
    QTimer FTimer;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    PrepareFaces();
    TAnchorStrip strip;
    strip.show();
    return QApplication::exec();
}
