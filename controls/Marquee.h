#pragma once

#include "controls/Fonts.h"
#include "controls/MarqueeText.h"

#include <QColor>
#include <QFontMetrics>
#include <QFrame>
#include <QImage>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>

enum TBorderStyle : std::uint8_t { bsNone, bsSingle };

// The scrolling message: one line of text moving through a strip of the control, in one of
// three styles, on the control's own timer. Each step composes only the strip, off screen, and
// puts it on the window in one copy; a stopped marquee shows the start of its text instead.
// Setters return at once on an unchanged value.
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
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Step(bool reset, bool prepare);
    void PrepareStrip();
    void StyleStep(bool reset);
    void Redisplay();
    void AdjustHeight();
    void ApplyBorder();
    void FitSurface();
    void PositionChanged();
    void SetTimerRunning(bool running);
    void FillClient(const QColor& color);
    void DrawText(QImage& target, std::string_view text, int x, int top) const;
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
    QImage FBitmap;    // the strip
    QImage FSurface;   // what the window shows while the marquee runs
    TCellFont FCell;
    QFontMetrics FMetrics{QFont()};
    QSize FHandledSize;
    bool FInTick = false;
    bool FInPosChange = false;
};
