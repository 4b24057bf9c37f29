#include "controls/Marquee.h"

#include "core/ErrorReporter.h"
#include "core/QtText.h"
#include "core/TextEncoding.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <utility>

namespace {

// Sets a flag for as long as it lives, whichever way the scope is left.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TFlagGuard() { FFlag = false; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& FFlag;
};

} // namespace

TMarquee::TMarquee(QWidget* parent) : QFrame(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetMetrics();
    ApplyBorder();
    resize(217, 21);
    FTimer.setTimerType(Qt::CoarseTimer);
    FTimer.setInterval(FScrollDelay);
    connect(&FTimer, &QTimer::timeout, this, &TMarquee::TimerTick);
    FitSurface();
}

TMarquee::~TMarquee() {
    FTimer.stop();
    FTimer.disconnect();
}

int TMarquee::MeasureWidth(std::string_view text) const {
    if (text.size() == 1) {
        int& width = FCharWidths[static_cast<unsigned char>(text[0])];
        if (width < 0)
            width = FMetrics.horizontalAdvance(FromUtf8(text));
        return width;
    }
    // A character of several bytes, by its code.
    std::size_t end = 0;
    if (text.size() <= 4) {
        const std::uint32_t code = NextUtf8Char(text, end);
        if (end == text.size()) {
            const auto [known, added] = FWideCharWidths.try_emplace(code, 0);
            if (added)
                known->second = FMetrics.horizontalAdvance(FromUtf8(text));
            return known->second;
        }
    }
    if (FMeasuredWidth < 0 || text != FMeasuredText) {
        FMeasuredText = text;
        constexpr std::size_t kMostStringWidths = 4096;
        if (FStringWidths.size() >= kMostStringWidths)
            FStringWidths.clear();
        const auto [known, added] = FStringWidths.try_emplace(FMeasuredText, 0);
        if (added)
            known->second = FMetrics.horizontalAdvance(FromUtf8(text));
        FMeasuredWidth = known->second;
    }
    return FMeasuredWidth;
}

void TMarquee::SetMetrics() {
    FCell = CellOfFont(font());
    FMetrics = QFontMetrics(font());
    FCharWidths.fill(-1);
    FWideCharWidths.clear();
    FStringWidths.clear();
    FMeasuredWidth = -1;
    FRunPeriod = -1;
}

QColor TMarquee::FontColor() const {
    return palette().color(QPalette::WindowText);
}

void TMarquee::SetFontColor(const QColor& color) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, color);
    setPalette(colours);
}

void TMarquee::SetActive(bool active) {
    if (active == FActive)
        return;
    FActive = active;
    if (!active)
        FTimerTag = 0;
    if (MayRun() && !FScrollText.empty()) {
        SetTimerRunning(true); // the first tick, one interval on, starts the style afresh
    } else {
        SetTimerRunning(false);
        Redisplay();
    }
}

void TMarquee::SetAutoCenter(bool autoCenter) {
    if (autoCenter == FAutoCenter)
        return;
    FAutoCenter = autoCenter;
    Redisplay();
}

void TMarquee::SetAutoSizeHeight(bool autoSizeHeight) {
    if (autoSizeHeight == FAutoSizeHeight)
        return;
    FAutoSizeHeight = autoSizeHeight;
    AdjustHeight();
}

void TMarquee::SetBorderStyle(TBorderStyle style) {
    if (style == FBorderStyle)
        return;
    FBorderStyle = style;
    ApplyBorder();
}

void TMarquee::SetCtl3D(bool ctl3D) {
    if (ctl3D == FCtl3D)
        return;
    FCtl3D = ctl3D;
    if (FBorderStyle == bsSingle)
        ApplyBorder();
}

void TMarquee::SetColor(const QColor& color) {
    if (color == FColor)
        return;
    FColor = color;
    update();
    // The strip takes the colour at its next step; the rest of the area at once.
    if (TimerRunning())
        FillClient(FColor);
}

void TMarquee::SetNewControlCode(char code) {
    if (code == FNewControlCode)
        return;
    const auto value = static_cast<unsigned char>(code);
    if (value >= 1 && value <= 31) {
        ReportError(
            QStringLiteral("You cannot enter characters which are control codes themselves!"));
        return;
    }
    FNewControlCode = code;
}

void TMarquee::SetScrollAmount(std::uint8_t amount) {
    FScrollAmount = amount;
}

void TMarquee::SetScrollDelay(int delay) {
    delay = std::max(delay, 1);
    if (delay == FScrollDelay)
        return;
    FScrollDelay = delay;
    FTimer.setInterval(delay);
}

void TMarquee::SetScrollStyle(TScrollStyle style) {
    if (style == FScrollStyle)
        return;
    FScrollStyle = style;
    if (TimerRunning()) {
        FTimer.stop();
        Step(true, false);
        FTimer.start();
    }
}

void TMarquee::SetScrollText(const std::string& text) {
    if (text == FScrollText)
        return;
    const bool wasActive = FActive;
    if (wasActive)
        SetActive(false); // the run starts afresh with the new text
    FScrollText = FStripControlCodes ? FilterControlCodes(text, FNewControlCode) : text;
    if (FAutoSizeHeight)
        AdjustHeight();
    if (wasActive)
        SetActive(true);
    else
        update(); // a stopped marquee shows its new text
}

void TMarquee::SetStripControlCodes(bool strip) {
    if (strip == FStripControlCodes)
        return;
    FStripControlCodes = strip;
    if (strip)
        FScrollText = FilterControlCodes(FScrollText, FNewControlCode);
    Redisplay();
}

std::string TMarquee::CurrentOutput() const {
    return TimerRunning() && !FScrollText.empty() ? FStyles.Window(FScrollStyle) : std::string();
}

void TMarquee::TimerTick() {
    if (FInTick)
        return;
    const TFlagGuard inTick(FInTick);
    if (FTimerTag == 0) {
        Step(true, true);
        FTimerTag = 1;
    } else {
        Step(false, false);
    }
}

void TMarquee::Step(bool reset, bool prepare) {
    if (prepare)
        PrepareStrip();
    StyleStep(reset);
}

void TMarquee::PrepareStrip() {
    FillClient(FColor);
    const int width = ClientWidth();
    const int height = MeasureHeight();
    FStripSize = width > 0 && height > 0 ? QSize(width, height) : QSize();
}

void TMarquee::StyleStep(bool reset) {
    if (reset)
        FillClient(FColor);
    // A failing step ends quietly; the next tick goes on from the state it reached.
    try {
        const TMeasureWidth measure = [this](std::string_view text) {
            return MeasureWidth(text);
        };
        const int width = ClientWidth();
        TStripText strip;
        switch (FScrollStyle) {
        case ssBlink:
            strip = FStyles.BlinkStep(reset, FScrollText, width, measure);
            break;
        case ssBounce:
            strip = FStyles.BounceStep(reset, FScrollText, FScrollAmount, width, measure);
            break;
        case ssScroll:
            strip = FStyles.ScrollStep(reset, FScrollText, FScrollAmount, width, measure);
            break;
        }
        if (FScrollText.empty() || FStripSize.isEmpty() || FSurface.isNull())
            return;
        // The strip is composed straight into the surface, inside its own band.
        const QRect band(0, CenteredTop(FStripSize.height()), std::min(width, FStripSize.width()),
                         FStripSize.height());
        if (FScrollStyle == ssScroll && StepRun(reset, strip, band))
            return;
        FRunShown = false;
        FShift = 0; // the band is drawn whole, and the rest is its colour only
        QPainter painter(&FSurface);
        painter.setClipRect(band);
        painter.fillRect(band, FColor);
        if (strip.Shown)
            FStamp.Draw(painter, FromUtf8(strip.Text), strip.X, band.top(), band.height(),
                        FCell.Ascent, font(), FontColor(), FColor);
        painter.end();
        update(band.translated(contentsRect().topLeft()));
    } catch (...) {
    }
}

const QString& TMarquee::RunText() {
    if (FRunSource != FScrollText) {
        FRunSource = FScrollText;
        FRunText = FromUtf8(FScrollText);
        FRunPeriod = -1;
    }
    return FRunText;
}

int TMarquee::RunPeriod() {
    RunText();
    if (FRunPeriod < 0) {
        FRunPeriod = 0;
        for (std::size_t next = 0; next < FScrollText.size();) {
            const std::size_t start = next;
            NextUtf8Char(FScrollText, next);
            FRunPeriod += MeasureWidth(std::string_view(FScrollText).substr(start, next - start));
        }
    }
    return FRunPeriod;
}

bool TMarquee::StepRun(bool reset, const TStripText& strip, const QRect& band) {
    // A text whose characters measure nothing, or too large to stamp, is composed from the
    // style's window at each step instead.
    const int period = RunPeriod();
    const std::optional<TTextStamp::TInk> ink =
        FRunStamp.Ink(RunText(), band.height(), FCell.Ascent, font(), FontColor(), FColor);
    if (period <= 0 || !ink || (!reset && !FRunStarted)) {
        FRunStarted = false; // until the style starts afresh
        return false;
    }
    const int amount = FScrollAmount;
    if (reset)
        FRunX = strip.X; // where the style starts the text
    else
        FRunX -= amount;
    FRunStarted = true;
    // A copy gone past the left edge leaves the next one first.
    while (FRunX + ink->Right <= band.left())
        FRunX += period;

    const int width = FSurface.width();
    QPainter painter(&FSurface);
    if (reset || !FRunShown || amount <= 0 || amount >= width || band.left() != 0 ||
        band.width() != width) {
        FShift = 0;
        DrawRun(painter, band, band, *ink);
        painter.end();
        FRunShown = true;
        update(band.translated(contentsRect().topLeft()));
        return true;
    }
    // What the band showed moves one step to the left by turning the surface round, and the new
    // columns take the place of those that left; the window's copy of the band moves the same
    // way. Those columns may lie across the surface's right edge.
    FShift = (FShift + amount) % width;
    const QRect exposed(width - amount, band.top(), amount, band.height());
    const QRect beforeEdge = exposed & QRect(0, band.top(), width - FShift, band.height());
    const QRect pastEdge = exposed & QRect(width - FShift, band.top(), FShift, band.height());
    for (const auto& [part, offset] :
         {std::pair(beforeEdge, FShift), std::pair(pastEdge, FShift - width)}) {
        if (part.isEmpty())
            continue;
        painter.save();
        painter.translate(offset, 0);
        DrawRun(painter, part, band, *ink);
        painter.restore();
    }
    painter.end();
    scroll(-amount, 0, band.translated(contentsRect().topLeft()));
    return true;
}

void TMarquee::DrawRun(QPainter& painter, const QRect& area, const QRect& band,
                       const TTextStamp::TInk& ink) {
    painter.setClipRect(area);
    painter.fillRect(area, FColor);
    const int period = RunPeriod();
    // Copies whose ink cannot meet are each their stamp, cut to its ink; copies closer than
    // that are drawn one over the other, as drawing them would.
    const bool apart = ink.Right - ink.Left <= period;
    const int first = FRunX + std::max(0, (area.left() - FRunX - ink.Right) / period * period);
    for (int x = first; x + ink.Left <= area.right(); x += period) {
        const QRect reach = QRect(x + ink.Left, area.top(), ink.Right - ink.Left, area.height());
        if (!reach.intersects(area))
            continue;
        if (apart) {
            painter.setClipRect(reach & area);
            FRunStamp.Draw(painter, FRunText, x, band.top(), band.height(), FCell.Ascent, font(),
                           FontColor(), FColor);
        } else {
            painter.save();
            painter.setFont(font());
            painter.setPen(FontColor());
            painter.drawText(QPoint(x, band.top() + FCell.Ascent), FRunText);
            painter.restore();
        }
    }
}

int TMarquee::CenteredTop(int height) const {
    return FAutoCenter ? (ClientHeight() - height) / 2 : 0;
}

void TMarquee::Redisplay() {
    if (TimerRunning())
        Step(false, true);
    else
        update();
}

void TMarquee::AdjustHeight() {
    const int frame = height() - ClientHeight();
    resize(width(), MeasureHeight() + 2 + frame);
}

void TMarquee::ApplyBorder() {
    if (FBorderStyle == bsNone) {
        setFrameStyle(QFrame::NoFrame);
    } else if (FCtl3D) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(2);
    } else {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    }
    FitSurface();
    if (FAutoSizeHeight)
        AdjustHeight();
    Redisplay();
}

void TMarquee::FitSurface() {
    const QSize size = contentsRect().size();
    if (FSurface.size() == size)
        return;
    FRunShown = false;
    FShift = 0;
    FSurface = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB32);
    FSurface.fill(FColor);
}

void TMarquee::FillClient(const QColor& color) {
    FRunShown = false;
    FShift = 0;
    FSurface.fill(color);
    update(contentsRect());
}

void TMarquee::SetTimerRunning(bool running) {
    if (!running)
        FTimer.stop();
    else if (!FTimer.isActive())
        FTimer.start();
}

void TMarquee::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (FBorderStyle == bsSingle && !FCtl3D) {
        // The window frame's own black line, not the text's colour a plain frame would take.
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    } else if (FBorderStyle != bsNone) {
        drawFrame(&painter); // the style's work, for no frame at all, would draw nothing
    }
    const QRect client = contentsRect();
    if (TimerRunning()) {
        // Only what is asked for: a step asks for the few columns it brought in. The surface is
        // turned round by FShift columns, so a part may lie across its edge.
        const int width = FSurface.width();
        for (const QRect& asked : event->region()) {
            const QRect target = asked & client;
            const QRect beforeEdge =
                target & QRect(client.left(), target.top(), width - FShift, target.height());
            const QRect pastEdge = target & QRect(client.left() + width - FShift, target.top(),
                                                  FShift, target.height());
            for (const auto& [part, offset] :
                 {std::pair(beforeEdge, FShift), std::pair(pastEdge, FShift - width)})
                if (!part.isEmpty())
                    painter.drawImage(part.topLeft(), FSurface,
                                      part.translated(offset - client.left(), -client.top()));
        }
        return;
    }
    // Stopped: the start of the text, as much as reaches the right edge, in whole characters.
    std::string prefix;
    for (std::size_t next = 0;
         next < FScrollText.size() && MeasureWidth(prefix) < client.width();) {
        const std::size_t start = next;
        NextUtf8Char(FScrollText, next);
        prefix.append(FScrollText, start, next - start);
    }
    painter.fillRect(client, FColor);
    painter.setClipRect(client);
    painter.setFont(font());
    painter.setPen(FontColor());
    painter.drawText(
        QPoint(client.left(), client.top() + CenteredTop(FCell.Height()) + FCell.Ascent),
        FromUtf8(prefix));
}

void TMarquee::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::EnabledChange:
        EnabledChanged();
        break;
    case QEvent::FontChange:
        SetMetrics();
        if (FAutoSizeHeight)
            AdjustHeight();
        Redisplay();
        break;
    case QEvent::PaletteChange:
        Redisplay();
        break;
    default:
        break;
    }
    QFrame::changeEvent(event);
}

void TMarquee::setVisible(bool visible) {
    const bool wasVisible = OwnVisible();
    QFrame::setVisible(visible);
    if (OwnVisible() != wasVisible)
        SetTimerRunning(MayRun());
}

void TMarquee::setEnabled(bool enabled) {
    QFrame::setEnabled(enabled);
    EnabledChanged();
}

void TMarquee::EnabledChanged() {
    // Its window's enabling reaches it too, but only its own counts. Qt says nothing of its own
    // change while its window is disabled, hence the call from setEnabled as well.
    if (OwnEnabled() == FWasEnabled)
        return;
    FWasEnabled = OwnEnabled();
    SetTimerRunning(MayRun());
}

void TMarquee::move(int x, int y) {
    QFrame::move(x, y);
    ApplyPendingGeometry();
}

void TMarquee::resize(int width, int height) {
    QFrame::resize(width, height);
    ApplyPendingGeometry();
}

void TMarquee::setGeometry(int x, int y, int width, int height) {
    QFrame::setGeometry(x, y, width, height);
    ApplyPendingGeometry();
}

void TMarquee::ApplyPendingGeometry() {
    // What Qt would send at the next showing, sent now, in the order Qt sends it.
    if (testAttribute(Qt::WA_PendingMoveEvent)) {
        setAttribute(Qt::WA_PendingMoveEvent, false);
        QMoveEvent event(pos(), pos());
        QCoreApplication::sendEvent(this, &event);
    }
    if (testAttribute(Qt::WA_PendingResizeEvent)) {
        setAttribute(Qt::WA_PendingResizeEvent, false);
        QResizeEvent event(size(), FHandledSize);
        QCoreApplication::sendEvent(this, &event);
    }
}

void TMarquee::moveEvent(QMoveEvent* event) {
    QFrame::moveEvent(event);
    // A move that comes with a new size is answered once, by the resize that follows it.
    if (size() == FHandledSize)
        PositionChanged();
}

void TMarquee::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    FitSurface();
    FHandledSize = size();
    PositionChanged();
}

void TMarquee::PositionChanged() {
    if (FInPosChange)
        return;
    const TFlagGuard inPosChange(FInPosChange);
    // Adjusting the height resizes the control again; that inner change is not the caller's.
    if (FAutoSizeHeight)
        AdjustHeight();
    Redisplay();
    if (OnResize)
        OnResize(this);
}
