// What an operator can do to the display, and the timers that keep it alive without the
// controller: the pop-up menu, F1 and F5, the clock and its double click, the rotation of the
// scroll messages, and the end of the program.

#include "app/Listener.h"
#include "app/MainU.h"
#include "app/SilenceWatch.h"
#include "controls/Marquee.h"
#include "controls/MediaPlayer.h"
#include "settings/Properties.h"
#include "settings/Welcome.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// The system's long time format without its time zone: the clock has room for the time alone.
QString LongTimeFormat() {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    return format.trimmed();
}

// Where the text's letters end when drawn from the left edge: the last cell's spacing may lie
// outside its box.
int InkRight(const QFont& font, const QString& text) {
    return QFontMetrics(font).tightBoundingRect(text).right();
}

// Every shape a time of the format takes: a morning and an evening with two-digit hours, with
// all their digits alike, for every digit.
QStringList ClockSamples(const QString& format) {
    QStringList samples;
    for (const QTime time : {QTime(10, 58, 58), QTime(22, 58, 58)}) {
        const QString text = QLocale::system().toString(time, format);
        for (char digit = '0'; digit <= '9'; ++digit) {
            QString sample = text;
            for (QChar& character : sample)
                if (character.isDigit())
                    character = QLatin1Char(digit);
            samples << sample;
        }
    }
    return samples;
}

} // namespace

void TDownload_Form::PopupMenuAt(QWidget* source, const QPoint& position) {
    PopupMenu1->popup(source->mapToGlobal(position));
}

void TDownload_Form::AboutClick() {
    Welcome->ShowWelcome();
}

void TDownload_Form::PropertiesClick() {
    OpenProperties(false);
}

void TDownload_Form::OpenProperties(bool fromKey) {
    TProp_Form dialog(Welcome, this, this);
    QRect over = geometry(); // from the menu: over the display, which goes on behind it
    if (fromKey) {
        // From the keyboard: on the first screen, above a display that no longer stays on
        // top, which hears nothing until the dialog has gone.
        SetStayOnTop(false);
        over = QGuiApplication::screens().constFirst()->geometry();
        Listener->Suspend();
    }
    const QSize size = dialog.size();
    dialog.move(over.x() + (over.width() - size.width()) / 2,
                over.y() + (over.height() - size.height()) / 2);
    FPropertiesOpen = true;
    dialog.exec();
    FPropertiesOpen = false;
    // Datagrams that arrived meanwhile waited in the socket: they are handled now, in order.
    if (fromKey)
        Listener->Arm();
    if (std::exchange(FSettingsChangedMeanwhile, false))
        ApplySettings(TScrollRestart::KeepPhase);
}

void TDownload_Form::SettingsFileChanged() {
    // The open dialog shows what it loaded and saves all of it; the file is read once it has
    // gone, unless its own save has read it by then.
    if (FPropertiesOpen) {
        FSettingsChangedMeanwhile = true;
        return;
    }
    ApplySettings(TScrollRestart::KeepPhase);
}

void TDownload_Form::MinimiseClick() {
    showMinimized();
}

void TDownload_Form::Exit1Click() {
    close();
}

void TDownload_Form::FormKeyUp(int key) {
    if (key == Qt::Key_F1)
        Welcome->ShowWelcome();
    if (key == Qt::Key_F5)
        OpenProperties(true);
}

void TDownload_Form::TimeDblClick() {
    time_label->setVisible(time_label->isHidden());
    if (!time_label->isHidden()) {
        TurnOn(*clock_timer);
        clock_timerTimer();
    } else {
        clock_timer->stop();
    }
}

void TDownload_Form::clock_timerTimer() {
    static const QString format = LongTimeFormat();
    time_label->setText(QLocale::system().toString(QTime::currentTime(), format));
    if (FClockFitted)
        return;
    // The box is drawn for "hh:mm:ss": a 12-hour time ("10:50:40 PM", the usual format on
    // Windows) would lose its last letters. The face is the largest, up to the designed one, at
    // which any time of the format fits, so that the clock keeps one size all day.
    FClockFitted = true;
    QFont font = time_label->font();
    const QStringList samples = ClockSamples(format);
    const auto fits = [&] {
        return std::ranges::all_of(samples, [&](const QString& sample) {
            return InkRight(font, sample) < time_label->width();
        });
    };
    while (font.pixelSize() > 1 && !fits())
        font.setPixelSize(font.pixelSize() - 1);
    time_label->setFont(font);
}

void TDownload_Form::TurnOn(QTimer& timer) {
    if (!timer.isActive())
        timer.start();
}

void TDownload_Form::Scroll_TimerTimer() {
    if (ScrollCount == kScrollTurn)
        SetScrollMessage(sMsg2);
    if (ScrollCount == 2 * kScrollTurn)
        SetScrollMessage(sMsg3);
    if (ScrollCount == 3 * kScrollTurn) {
        SetScrollMessage(sMsg1);
        ScrollCount = 0;
    }
    ++ScrollCount;
}

void TDownload_Form::FormClose() {
    Listener->Close();
    SpeakTimer->stop();
    MediaPlayer1->Close();
}

std::string TDownload_Form::ScrollText() const {
    // The message as it was written, without the blanks that space its repeats on the screen.
    return Scroll_Message->isEnabled() ? FSettings.Text(FScrollShown) : std::string();
}

THeardCounts TDownload_Form::Heard() const {
    return {Listener->Received() - Listener->Dropped(), Listener->Dropped(), Listener->LastSender(),
            Listener->MsSinceHeard(), Silence->SilentSinceMs()};
}

QImage TDownload_Form::Screenshot() {
    // The window's own drawing, as it is now: a box or the dialog over it stays out.
    return grab().toImage();
}
