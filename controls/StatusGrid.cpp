#include "controls/StatusGrid.h"

#include "controls/Fonts.h"
#include "controls/GridPalette.h"
#include "core/QtText.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

namespace {

QColor Colour(TRgb rgb) {
    return QColor(rgb.Red, rgb.Green, rgb.Blue);
}

const QColor kBlack = Colour(kGridBlack);
const QColor kDarkGrey = Colour(kGridNotInUse);
const QColor kSilver = Colour(kGridBar);
const QColor kWhite = Colour(kGridWhite);
const QString kFaceName = QStringLiteral("Tahoma");

// Rectangles as left, top, right, bottom with right and bottom excluded.
void FillLTRB(QPainter& canvas, int left, int top, int right, int bottom, const QColor& colour) {
    if (right > left && bottom > top)
        canvas.fillRect(QRect(left, top, right - left, bottom - top), colour);
}

// Text drawn opaque: its cell is filled first, so it always stands on `fill`.
void DrawOpaqueText(QPainter& canvas, const TCellFont& font, const QString& text, int width,
                    int left, int top, const QColor& colour, const QColor& fill) {
    canvas.fillRect(QRect(left, top, width, font.Height()), fill);
    canvas.setFont(font.Font);
    canvas.setPen(colour);
    canvas.drawText(QPoint(left, top + font.Ascent), text);
}

} // namespace

TStatusGrid::TStatusGrid(QWidget* parent) : QWidget(parent) {
    // The paint covers the whole client area itself; erasing first would only flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TStatusGrid::SetPacksPerTeam(int packs) {
    FPacksPerTeam = ClampPacksPerTeam(packs);
    RecalcLayout();
}

void TStatusGrid::SetBorderSize(int size) {
    FBorderSize = size;
    update();
}

void TStatusGrid::SetBoxSize(int size) {
    FBoxSize = size;
    update();
}

void TStatusGrid::SetShowCaptions(bool show) {
    FShowCaptions = show;
    update();
}

void TStatusGrid::SetShowLittleNumbers(bool show) {
    FShowLittleNumbers = show;
    update();
}

void TStatusGrid::SetShowBars(bool show) {
    FShowBars = show;
    update();
}

void TStatusGrid::SetShowOverallTotals(bool show) {
    FShowOverallTotals = show;
    RecalcLayout();
}

void TStatusGrid::SetShowTeamTotals(bool show) {
    FShowTeamTotals = show;
    RecalcLayout();
}

void TStatusGrid::SetDownloadedCaption(const std::string& caption) {
    FDownloadedCaption = caption;
    update();
}

void TStatusGrid::SetPlayedCaption(const std::string& caption) {
    FPlayedCaption = caption;
    update();
}

TTeamColour TStatusGrid::GetTeamColour(int team) const {
    return IsValidTeam(team) ? FTeamColours[team - 1] : tcRed;
}

void TStatusGrid::SetTeamColour(int team, int colour) {
    if (IsValidTeam(team) && IsValidTeamColour(colour))
        FTeamColours[team - 1] = static_cast<TTeamColour>(colour);
}

void TStatusGrid::SetPackState(int team, int pack, int state) {
    if (FPacks.Set(team, pack, state) && !FRepaintPending) {
        FRepaintPending = true;
        update();
    }
}

void TStatusGrid::SetWidth(int width) {
    resize(width, height());
    RecalcLayout();
}

void TStatusGrid::RecalcLayout() {
    const TGridLayout layout =
        ComputeGridLayout(width(), FPacksPerTeam, FShowTeamTotals, FShowOverallTotals);
    FBoxSize = layout.BoxSize;
    FBorderSize = layout.BorderSize;
    if (height() != layout.Height)
        resize(width(), layout.Height);
    update();
}

void TStatusGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (OnResize)
        OnResize(this);
    RecalcLayout();
}

void TStatusGrid::paintEvent(QPaintEvent*) {
    FRepaintPending = false;
    QPainter canvas(this);
    Paint(canvas);
}

void TStatusGrid::Paint(QPainter& canvas) {
    const int B = FBorderSize;
    const int X = FBoxSize;
    const int P = B + X;
    const int N = ClampPacksPerTeam(FPacksPerTeam);

    FillLTRB(canvas, 0, 0, width(), height(), kBlack);
    FTotals = FPacks.Count(N);

    // Centres a text across a slot of `span` columns; sizes and places are in pitches.
    auto drawCellText = [&](const QString& text, double scale, double span, double row,
                            double column, const QColor& colour) {
        const int fontHeight = CellTextHeight(P, scale);
        if (fontHeight <= 0)
            return;
        const TCellFont font = CellFont(kFaceName, fontHeight);
        const int textWidth = QFontMetrics(font.Font).horizontalAdvance(text);
        DrawOpaqueText(canvas, font, text, textWidth, CellTextLeft(P, B, span, column, textWidth),
                       CellTextTop(P, B, row), colour, kBlack);
    };

    const TCellFont numberFont = CellFont(kFaceName, X);
    const QFontMetrics numberMetrics(numberFont.Font);
    for (int team = 1; team <= kTeamCount; ++team) {
        const int row = team - 1;
        const TTeamColour colourIndex = FTeamColours[row];
        for (int pack = 1; pack <= N; ++pack) {
            const QColor fill = Colour(PackFill(FPacks.Get(team, pack), colourIndex));
            const int left = (pack - 1) * P + B;
            const int top = row * P + B;
            FillLTRB(canvas, left, top, pack * P, (row + 1) * P, fill);

            if (FShowLittleNumbers && X > 0) {
                const QString number = QString::number(pack);
                const int textWidth = numberMetrics.horizontalAdvance(number);
                DrawOpaqueText(canvas, numberFont, number, textWidth, (X - textWidth) / 2 + left,
                               top, fill == kBlack ? kDarkGrey : kBlack, fill);
            }
        }

        if (FShowTeamTotals) {
            const QColor light = Colour(kLightShades.at(colourIndex));
            drawCellText(QString::number(FTotals.TeamDownloaded[row]), 1, 1.5, row, N, light);
            drawCellText(QString::number(FTotals.TeamPlayed[row]), 1, 1.5, row, N + 1.5, light);
        }
    }

    if (FShowBars) {
        for (int j = 0; j <= N / 4; ++j)
            FillLTRB(canvas, 4 * j * P + B / 3, 0, 4 * j * P + (2 * B) / 3, height(), kSilver);
    }

    if (FShowOverallTotals) {
        const int K = FShowTeamTotals ? N + 4 : N;
        const QString downloaded = QString::number(FTotals.Downloaded);
        const QString played = QString::number(FTotals.Played);
        if (FShowCaptions) {
            drawCellText(downloaded, 2, 3, 0, K, kWhite);
            drawCellText(played, 2, 3, 0, K + 3, kWhite);
            drawCellText(FromUtf8(FDownloadedCaption), 0.666, 3, 2, K, kWhite);
            drawCellText(FromUtf8(FPlayedCaption), 0.666, 3, 2, K + 3, kWhite);
        } else {
            drawCellText(downloaded, 3, 3, 0, K, kWhite);
            drawCellText(played, 3, 3, 0, K + 3, kWhite);
        }
    }
}
