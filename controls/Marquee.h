#pragma once

#include "controls/Fonts.h"
#include "controls/MarqueeText.h"
#include "controls/TextStamp.h"

#include <QColor>
#include <QFontMetrics>
#include <QFrame>
#include <QImage>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

enum TBorderStyle : std::uint8_t { bsNone, bsSingle };

// The scrolling message: one line of text moving through a strip of the control, in one of
// three styles, on the control's own timer. Each step composes only the strip, off screen, and
// puts it on the window in one copy; a stopped marquee shows the start of its text instead.
// The scroll style draws its text whole and repeats it, a period apart, as the style's steps
// move it on: a step moves the strip's pixels by the step, on the surface and on the window, and
// draws only the columns coming in at the right. Setters return at once on an unchanged value.
class TMarquee : public QFrame {
    Q_OBJECT

public:
    explicit TMarquee(QWidget* parent = nullptr);
    ~TMarquee() override;

    bool Active() const { return FActive; }
    void SetActive(bool active);
    bool AutoCenter() const { return FAutoCenter; }
    void SetAutoCenter(bool autoCenter);
    bool AutoSizeHeight() const { return FAutoSizeHeight; }
    void SetAutoSizeHeight(bool autoSizeHeight);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    // A single border is a sunken edge with the 3-D look, a plain line without it.
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool ctl3D);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& color);
    // The text's colour; the font itself is the widget's font.
    QColor FontColor() const;
    void SetFontColor(const QColor& color);
    char NewControlCode() const { return FNewControlCode; }
    void SetNewControlCode(char code); // codes 1 to 31 are refused with a message
    std::uint8_t ScrollAmount() const { return FScrollAmount; }
    void SetScrollAmount(std::uint8_t amount);
    int ScrollDelay() const { return FScrollDelay; }
    void SetScrollDelay(int delay); // 1 and more
    TScrollStyle ScrollStyle() const { return FScrollStyle; }
    void SetScrollStyle(TScrollStyle style);
    const std::string& ScrollText() const { return FScrollText; }
    void SetScrollText(const std::string& text);
    bool StripControlCodes() const { return FStripControlCodes; }
    void SetStripControlCodes(bool strip);
    // The characters in the strip while the marquee runs; empty while it does not.
    std::string CurrentOutput() const;
    // Called once after each outside change of position or size.
    std::function<void(TMarquee*)> OnResize;

    // Qt holds back the move and resize of a widget that is not on screen until it is shown;
    // the marquee takes them at once, with its OnResize, so its height and strip are right
    // whenever its owner reads them. These hide QWidget's own (which are not virtual).
    void move(int x, int y);
    void move(const QPoint& position) { move(position.x(), position.y()); }
    void resize(int width, int height);
    void resize(const QSize& size) { resize(size.width(), size.height()); }
    void setGeometry(int x, int y, int width, int height);
    void setGeometry(const QRect& rect) {
        setGeometry(rect.x(), rect.y(), rect.width(), rect.height());
    }
    // Its own visibility and enabling pause and resume it; its window's do not.
    void setVisible(bool visible) override;
    void setEnabled(bool enabled);

    bool TimerRunning() const { return FTimer.isActive(); }
    const TMarqueeStyles& Styles() const { return FStyles; }
    void TimerTick();

    int MeasureWidth(std::string_view text) const;
    int MeasureHeight() const { return FCell.Height(); }
    int ClientWidth() const { return contentsRect().width(); }
    int ClientHeight() const { return contentsRect().height(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Step(bool reset, bool prepare);
    void PrepareStrip();
    void StyleStep(bool reset);
    bool StepRun(bool reset, const TStripText& strip, const QRect& band);
    void DrawRun(QPainter& painter, const QRect& area, const QRect& band,
                 const TTextStamp::TInk& ink);
    const QString& RunText();
    int RunPeriod();
    void Redisplay();
    void AdjustHeight();
    void ApplyBorder();
    void FitSurface();
    void PositionChanged();
    void SetTimerRunning(bool running);
    void ApplyPendingGeometry();
    void EnabledChanged();
    // The control's own Visible and Enabled, whatever its window's.
    bool OwnVisible() const { return !isHidden(); }
    bool OwnEnabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    bool MayRun() const { return FActive && OwnVisible() && OwnEnabled(); }
    void FillClient(const QColor& color);
    void SetMetrics();
    int CenteredTop(int height) const;

    bool FActive = false;
    bool FAutoCenter = true;
    bool FAutoSizeHeight = false;
    TBorderStyle FBorderStyle = bsSingle;
    bool FCtl3D = true;
    QColor FColor = Qt::white;
    char FNewControlCode = ' ';
    std::uint8_t FScrollAmount = 1;
    int FScrollDelay = 50;
    TScrollStyle FScrollStyle = ssScroll;
    std::string FScrollText = "+++ Marquee 2.4 ";
    bool FStripControlCodes = true;

    TMarqueeStyles FStyles;
    QTimer FTimer;
    int FTimerTag = 0; // 0 until the first step after an activation has run
    QSize FStripSize;  // the strip, composed straight on the surface
    QImage FSurface;   // what the window shows while the marquee runs
    int FShift = 0;    // the client's column x is the surface's (x + FShift) % its width
    TCellFont FCell;
    QFontMetrics FMetrics{QFont()};
    // Each step measures single characters and the strip's window, which changes by a character
    // every few steps: both kinds are remembered until the font changes. Characters of one
    // byte by that byte, longer ones by their code.
    mutable std::array<int, 256> FCharWidths{};
    mutable std::unordered_map<std::uint32_t, int> FWideCharWidths;
    // Whole strings, the strip's windows, by their text: they come round again with every
    // round of the text. Bounded, for texts of many windows.
    mutable std::string FMeasuredText;
    mutable int FMeasuredWidth = -1;
    mutable std::unordered_map<std::string, int> FStringWidths;
    TTextStamp FStamp;
    // The scroll style's run: copies of the text one period apart, the first of them from
    // FRunX in the client area, no copy before it. The period is the sum of the text's
    // characters' widths, which the style's position moves on by as they leave the strip.
    TTextStamp FRunStamp;
    int FRunX = 0;
    bool FRunStarted = false; // FRunX follows the style's run since its start
    bool FRunShown = false;   // the surface's band shows the run at FRunX
    std::string FRunSource;   // the text the next two were made of
    QString FRunText;
    int FRunPeriod = -1; // -1 until measured
    QSize FHandledSize;
    bool FInTick = false;
    bool FInPosChange = false;
    bool FWasEnabled = true; // its own Enabled when last seen
};
