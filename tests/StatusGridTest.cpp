#include "controls/StatusGrid.h"
#include "controls/Fonts.h"
#include "support/Ink.h"
#include "support/PaintCounter.h"

#include <QApplication>
#include <QtTest>

namespace {

const QColor kBlack(0, 0, 0);
const QColor kDarkGrey(0x40, 0x40, 0x40);
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kLight[] = {{},
                         QColor(0xFF, 0x80, 0x80),
                         QColor(0x80, 0xFF, 0x80),
                         QColor(0x80, 0x80, 0xFF),
                         QColor(0xFF, 0xFF, 0x80)};
const QColor kDark[] = {{},
                        QColor(0x80, 0x00, 0x00),
                        QColor(0x00, 0x60, 0x00),
                        QColor(0x00, 0x00, 0xA0),
                        QColor(0x60, 0x40, 0x00)};

// The grid as the main window's form loads it: 592 wide, 6 packs, both totals, no captions.
void LoadMainWindowGrid(TStatusGrid& grid) {
    grid.setGeometry(0, 80, 592, 120);
    grid.SetPacksPerTeam(6);
    grid.SetShowCaptions(false);
    grid.SetShowLittleNumbers(false);
    grid.SetShowBars(false);
    grid.SetShowOverallTotals(true);
    grid.SetShowTeamTotals(true);
}

QImage Render(TStatusGrid& grid) {
    QImage image(grid.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta); // anything the paint leaves out shows
    grid.render(&image);
    return image;
}

// The box of a pack, inclusive pixel coordinates.
QRect Box(const TStatusGrid& grid, int team, int pack) {
    const int P = grid.BorderSize() + grid.BoxSize();
    return QRect((pack - 1) * P + grid.BorderSize(), (team - 1) * P + grid.BorderSize(),
                 grid.BoxSize(), grid.BoxSize());
}

} // namespace

class StatusGridTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareFaces(); }

    void constructionValues() {
        TStatusGrid grid;
        QCOMPARE(grid.PacksPerTeam(), 10);
        QCOMPARE(grid.BoxSize(), 0);
        QCOMPARE(grid.BorderSize(), 0);
        QCOMPARE(grid.GetTeamColour(1), tcRed);
        QCOMPARE(grid.GetTeamColour(2), tcGreen);
        QCOMPARE(grid.GetTeamColour(3), tcYellow);
        QCOMPARE(grid.DownloadedCaption(), std::string("Downloaded"));
        QCOMPARE(grid.PlayedCaption(), std::string("Played"));
        QVERIFY(!grid.ShowCaptions() && !grid.ShowBars() && !grid.ShowTeamTotals());
    }

    void layoutFollowsWidthAndOptions() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        QCOMPARE(grid.BoxSize(), 24);
        QCOMPARE(grid.BorderSize(), 12);
        QCOMPARE(grid.height(), 120);
        grid.SetShowTeamTotals(false);
        QCOMPARE(grid.BoxSize(), 32);
        QCOMPARE(grid.height(), 160);
        grid.SetShowOverallTotals(false);
        grid.SetShowTeamTotals(true);
        QCOMPARE(grid.BoxSize(), 43);
        QCOMPARE(grid.height(), 213);
        grid.SetShowTeamTotals(false);
        QCOMPARE(grid.BoxSize(), 65);
        QCOMPARE(grid.height(), 323);

        // Captions change the picture, never the sizes.
        grid.SetShowCaptions(true);
        QCOMPARE(grid.BoxSize(), 65);
        QCOMPARE(grid.height(), 323);

        // The dialog's preview.
        grid.SetShowTeamTotals(true);
        grid.SetShowOverallTotals(true);
        grid.SetPacksPerTeam(10);
        grid.SetWidth(433);
        QCOMPARE(grid.BoxSize(), 14);
        QCOMPARE(grid.BorderSize(), 7);
        QCOMPARE(grid.height(), 70);

        // Box and gap set directly hold until the next layout.
        grid.SetBoxSize(50);
        QCOMPARE(grid.BoxSize(), 50);
        grid.SetWidth(433);
        QCOMPARE(grid.BoxSize(), 14);
        QCOMPARE(grid.height(), 70);
    }

    void outsideResizeCallsOnResizeBeforeTheLayout() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        QList<int> boxSizesSeen;
        grid.OnResize = [&](TStatusGrid* sender) {
            QCOMPARE(sender, &grid);
            boxSizesSeen << sender->BoxSize();
        };
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        boxSizesSeen.clear();
        grid.resize(1024, 120);
        QVERIFY(!boxSizesSeen.isEmpty());
        QCOMPARE(boxSizesSeen.first(), 24); // still the old layout when it was called
        QCOMPARE(grid.BoxSize(), 42);
        QCOMPARE(grid.height(), 210);
    }

    void packsPerTeamOutsideItsRange() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        grid.SetPacksPerTeam(25);
        QCOMPARE(grid.PacksPerTeam(), 20);
        grid.SetPacksPerTeam(-4);
        QCOMPARE(grid.PacksPerTeam(), 0);

        // No packs: only the totals, which take the whole width.
        grid.SetPackState(1, 1, psPlayed);
        QImage image = Render(grid);
        QCOMPARE(grid.InUseTotal(), 0);
        QVERIFY(!InkBounds(image, image.rect()).isEmpty());

        // No packs and no totals: nothing to show and nothing to crash on.
        grid.SetShowOverallTotals(false);
        grid.SetShowTeamTotals(false);
        QCOMPARE(grid.BoxSize(), 0);
        QCOMPARE(grid.height(), 0);
        grid.SetShowBars(true);
        grid.SetShowLittleNumbers(true);
        grid.SetWidth(592);
        image = Render(grid);
        QCOMPARE(image.height(), 0);
    }

    void boxesLieWhereTheLayoutPutsThem() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        for (int pack = 1; pack <= 6; ++pack)
            grid.SetPackState(1, pack, psPlayed);
        const QImage image = Render(grid);
        const QColor red = kLight[tcRed];
        // Team 1 spans y 12..36 (excluded); the first box x 12..36, the sixth 192..216.
        QVERIFY(Filled(image, QRect(QPoint(12, 12), QPoint(35, 35)), red));
        QVERIFY(Filled(image, QRect(QPoint(192, 12), QPoint(215, 35)), red));
        for (QPoint outside : {QPoint(11, 20), QPoint(36, 20), QPoint(20, 11), QPoint(20, 36),
                               QPoint(191, 20), QPoint(216, 20)})
            QCOMPARE(image.pixelColor(outside), kBlack);
        // Nothing is left unpainted.
        QVERIFY(!Contains(image, image.rect(), Qt::magenta));
    }

    void everyStateInEveryTeamColour() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        for (int colour = tcRed; colour <= tcYellow; ++colour) {
            for (int team = 1; team <= 3; ++team) {
                grid.SetTeamColour(team, colour);
                for (int state = psNotInUse; state <= psDownloaded; ++state)
                    grid.SetPackState(team, state + 1, state);
            }
            const QImage image = Render(grid);
            for (int team = 1; team <= 3; ++team) {
                const QColor expected[] = {kDarkGrey, kBlack, kLight[colour], kDark[colour]};
                for (int state = psNotInUse; state <= psDownloaded; ++state)
                    QVERIFY2(Filled(image, Box(grid, team, state + 1), expected[state]),
                             qPrintable(QStringLiteral("team %1 colour %2 state %3")
                                            .arg(team)
                                            .arg(colour)
                                            .arg(state)));
            }
        }
    }

    void teamColoursOutsideTheirRangeAreIgnored() {
        TStatusGrid grid;
        grid.SetTeamColour(2, 0);
        grid.SetTeamColour(2, 5);
        grid.SetTeamColour(4, tcBlue);
        QCOMPARE(grid.GetTeamColour(2), tcGreen);
        grid.SetTeamColour(2, tcBlue);
        QCOMPARE(grid.GetTeamColour(2), tcBlue);
    }

    void packNumbersAreGreyOnBlackAndBlackOnColour() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        grid.SetPacksPerTeam(12);
        grid.SetWidth(1200);
        grid.SetShowLittleNumbers(true);
        grid.SetPackState(1, 12, psInUse);
        grid.SetPackState(2, 12, psPlayed);
        grid.SetPackState(3, 12, psNotInUse);
        const QImage image = Render(grid);

        auto inkColours = [&](int team, QColor fill) {
            QSet<QRgb> colours;
            const QRect box = Box(grid, team, 12);
            for (int y = box.top(); y <= box.bottom(); ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    if (image.pixelColor(x, y) != fill)
                        colours.insert(image.pixel(x, y));
            return colours;
        };
        // Smoothed edges blend the text colour into the box; the core of a stroke is exact.
        QVERIFY(inkColours(1, kBlack).contains(kDarkGrey.rgb()));
        for (QRgb pixel : inkColours(1, kBlack))
            QVERIFY(qRed(pixel) <= 0x40 && qGreen(pixel) <= 0x40 && qBlue(pixel) <= 0x40);
        QVERIFY(inkColours(2, kLight[tcGreen]).contains(kBlack.rgb()));
        QVERIFY(inkColours(3, kDarkGrey).contains(kBlack.rgb()));

        // Centred across the box and starting at its top edge.
        const QRect box = Box(grid, 2, 12);
        const QRect ink = InkBounds(image, box, kLight[tcGreen]);
        QVERIFY(qAbs(ink.center().x() - box.center().x()) <= 2);
        QVERIFY(ink.top() >= box.top() && ink.bottom() <= box.bottom());
    }

    void barsInTheGapBeforeEveryFourthPack() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        grid.SetShowBars(true);
        QImage image = Render(grid);
        // 6 packs, gap 12: bars 4..8 and 148..152, full height.
        QVERIFY(Filled(image, QRect(4, 0, 4, 120), kSilver));
        QVERIFY(Filled(image, QRect(148, 0, 4, 120), kSilver));
        for (int x : {3, 8, 147, 152})
            QCOMPARE(image.pixelColor(x, 60), kBlack);
        QCOMPARE(image.pixelColor(292, 60), kBlack);

        // 8 packs: a third bar after the last pack.
        grid.SetPacksPerTeam(8);
        grid.SetWidth(648); // 18 columns of pitch 36
        QCOMPARE(grid.BorderSize(), 12);
        image = Render(grid);
        QVERIFY(Filled(image, QRect(292, 0, 4, grid.height()), kSilver));
        QCOMPARE(image.pixelColor(296, 60), kBlack);
    }

    void totalsAreRecountedByThePaint() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        grid.SetPackState(1, 1, psInUse);
        grid.SetPackState(2, 2, psPlayed);
        grid.SetPackState(3, 3, psDownloaded);
        grid.SetPackState(1, 7, psPlayed); // beyond 6 packs per team
        QCOMPARE(grid.InUseTotal(), 0);    // not painted yet
        Render(grid);
        QCOMPARE(grid.InUseTotal(), 3);
        QCOMPARE(grid.DownloadedTotal(), 2);
        QCOMPARE(grid.PlayedTotal(), 1);
        grid.SetPackState(1, 1, psNotInUse);
        QCOMPARE(grid.InUseTotal(), 3); // the last paint's, until the next
        Render(grid);
        QCOMPARE(grid.InUseTotal(), 2);
    }

    void teamTotalsSitBesideTheirRow() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        for (int team = 1; team <= 3; ++team) {
            grid.SetTeamColour(team, team + 1);
            grid.SetPackState(team, 1, psPlayed);
            grid.SetPackState(team, 2, psDownloaded);
        }
        const QImage image = Render(grid);
        for (int team = 1; team <= 3; ++team) {
            const int top = 6 + 36 * (team - 1);
            const QColor light = kLight[team + 1];
            // Downloaded (2) centred on x 255, played (1) on x 309, in a 36-pixel cell.
            const QRect downloaded = InkBounds(image, QRect(228, top, 54, 36));
            const QRect played = InkBounds(image, QRect(282, top, 54, 36));
            QVERIFY(qAbs(downloaded.center().x() - 255) <= 2);
            QVERIFY(qAbs(played.center().x() - 309) <= 2);
            for (const QRect& ink : {downloaded, played}) {
                QVERIFY(ink.top() >= top && ink.bottom() < top + 36);
                QVERIFY(ink.height() >= 20); // digits fill most of a 36-pixel cell
            }
            QVERIFY(Contains(image, downloaded, light));
            QVERIFY(Contains(image, played, light));
        }
    }

    void overallTotalsWithAndWithoutCaptions() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        grid.SetPackState(1, 1, psPlayed);
        grid.SetPackState(2, 1, psDownloaded);
        QImage image = Render(grid);
        // Without captions: 108 pixels high from y 6, centred on x 426 (2) and 534 (1).
        QRect downloaded = InkBounds(image, QRect(372, 0, 108, 120));
        QRect played = InkBounds(image, QRect(480, 0, 108, 120));
        QVERIFY(qAbs(downloaded.center().x() - 426) <= 3);
        QVERIFY(qAbs(played.center().x() - 534) <= 3);
        QVERIFY(downloaded.top() >= 6 && downloaded.bottom() < 114);
        QVERIFY(downloaded.height() >= 60);
        QVERIFY(Contains(image, downloaded, Qt::white));

        // With captions: the numbers 72 high from y 6, the captions 23 high from y 78.
        grid.SetShowCaptions(true);
        grid.SetDownloadedCaption("In");
        grid.SetPlayedCaption("Out");
        image = Render(grid);
        downloaded = InkBounds(image, QRect(372, 0, 108, 78));
        played = InkBounds(image, QRect(480, 0, 108, 78));
        QVERIFY(downloaded.top() >= 6 && downloaded.bottom() < 78);
        QVERIFY(downloaded.height() >= 40);
        QVERIFY(qAbs(played.center().x() - 534) <= 3);
        const QRect inCaption = InkBounds(image, QRect(372, 78, 108, 42));
        const QRect outCaption = InkBounds(image, QRect(480, 78, 108, 42));
        QVERIFY(inCaption.top() >= 78 && inCaption.bottom() < 78 + 23);
        QVERIFY(qAbs(inCaption.center().x() - 426) <= 3);
        QVERIFY(qAbs(outCaption.center().x() - 534) <= 3);
        QVERIFY(outCaption.width() > inCaption.width());

        // Without team totals the overall totals start at column N: centred on 12 + 1.5 * P.
        grid.SetShowCaptions(false);
        grid.SetShowTeamTotals(false);
        const int P = grid.BorderSize() + grid.BoxSize();
        image = Render(grid);
        const QRect left = InkBounds(image, QRect(6 * P, 0, 3 * P, grid.height()));
        QVERIFY(qAbs(left.center().x() - (int(7.5 * P) + grid.BorderSize())) <= 3);
    }

    void repaintsOnlyWhenSomethingChanged() {
        TStatusGrid grid;
        LoadMainWindowGrid(grid);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        PaintCounter counter;
        grid.installEventFilter(&counter);
        QApplication::processEvents();
        counter.Paints = 0;

        grid.SetPackState(1, 1, psNotInUse); // already so
        grid.SetPackState(4, 1, psPlayed);
        grid.SetPackState(0, 1, psPlayed);
        grid.SetPackState(1, 21, psPlayed);
        grid.SetPackState(1, 0, psPlayed);
        grid.SetTeamColour(2, tcBlue); // shows at the next paint, asks for none
        QApplication::processEvents();
        QCOMPARE(counter.Paints, 0);

        // Any number of changes lead to one paint.
        for (int pack = 1; pack <= 6; ++pack)
            grid.SetPackState(2, pack, psPlayed);
        QTRY_COMPARE(counter.Paints, 1);
        QCOMPARE(grid.PlayedTotal(), 6);

        counter.Paints = 0;
        grid.SetShowCaptions(true);
        QTRY_COMPARE(counter.Paints, 1);
    }
};

QTEST_MAIN(StatusGridTest)
#include "StatusGridTest.moc"
