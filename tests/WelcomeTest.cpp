#include "settings/Welcome.h"
#include "controls/Fonts.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

class WelcomeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareFaces(); }

    void itShowsItselfOnTopWithOKReadyAndTheTextInView() {
        TWelcome_Form form;
        QVERIFY(form.isVisible());
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(form.Timer1->isActive());
        QCOMPARE(form.focusWidget(), form.OKButton);
        QVERIFY(form.OKButton->isDefault());

        const QStringList lines = form.Memo1->toPlainText().split('\n');
        QCOMPARE(lines.size(), 14);
        QCOMPARE(lines[10], QString("Use it entirely at your own risk."));
        QCOMPARE(form.Memo1->verticalScrollBar()->maximum(), 0);
        // The text on the window's own background, below the name.
        const QImage shot = form.grab().toImage();
        QCOMPARE(shot.pixelColor(20, 280), form.palette().color(QPalette::Window));
    }

    // A click into any part of it but OK stops the time-out; it stays until OK, which Enter
    // presses.
    void takingNoticeKeepsItUntilOK() {
        for (int target = 0; target < 4; ++target) {
            TWelcome_Form form;
            QWidget* const parts[] = {&form, form.Label1, form.version_label,
                                      form.Memo1->viewport()};
            QTest::mouseClick(parts[target], Qt::LeftButton, {}, QPoint(2, 2));
            QVERIFY2(!form.Timer1->isActive(), qPrintable(QString::number(target)));
            QVERIFY(form.isVisible());
            QTest::keyClick(&form, Qt::Key_Return);
            QVERIFY(!form.isVisible());
        }
    }

    // The close box and Escape leave the time-out running; its tick then stops it, hiding the
    // window again if it was shown meanwhile. Shown once more, it stays.
    void closingWhileTimingLeavesTheTick() {
        TWelcome_Form form;
        form.close();
        QVERIFY(!form.isVisible());
        QVERIFY(form.Timer1->isActive());
        form.ShowWelcome();
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
        QVERIFY(form.Timer1->isActive());

        form.ShowWelcome();
        form.Timer1->setInterval(50); // a hundred times sooner; a running timer restarts
        QTRY_VERIFY(!form.isVisible());
        QVERIFY(!form.Timer1->isActive());

        form.ShowWelcome();
        QVERIFY(form.isVisible());
        QVERIFY(!form.Timer1->isActive());
    }
};

QTEST_MAIN(WelcomeTest)
#include "WelcomeTest.moc"
