// The dialog among the program's other windows: lending it the about box, loading afresh when
// one of them hands the dialog back, and keeping the keyboard where no window manager hands it
// back.

#include "settings/Properties.h"

#include "controls/GIFImage.h"
#include "settings/Welcome.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

void TProp_Form::AboutButtonClick() {
    if (!FWelcome)
        return;
    // The welcome window belongs to the display, whose windows a modal dialog blocks. While
    // the dialog is open it is lent to the dialog, so that its OK can be pressed.
    FWelcome->winId();
    QWindow* window = FWelcome->windowHandle();
    if (!FWelcomeLent && window && windowHandle()) {
        FWelcomeOwner = window->transientParent();
        window->setTransientParent(windowHandle());
        FWelcomeLent = true;
    }
    FWelcome->ShowWelcome();
}

void TProp_Form::GiveBackTheWelcomeWindow() {
    if (!FWelcomeLent)
        return;
    FWelcomeLent = false;
    if (FWelcome && FWelcome->windowHandle())
        FWelcome->windowHandle()->setTransientParent(FWelcomeOwner);
}

// Whether the window taking the activation from the dialog is one of the program's own, whose
// return the dialog meets by loading afresh. A file picker or a message box (the dialog's own,
// or an error reported meanwhile) is not, nor is another program's window.
bool TProp_Form::ActivationStaysInTheProgram() const {
    if (FPicking)
        return false;
    const QWidget* active = QApplication::activeWindow();
    if (!active || active == this || qobject_cast<const QFileDialog*>(active) ||
        qobject_cast<const QMessageBox*>(active))
        return false;
    const QWidget* modal = QApplication::activeModalWidget();
    return !modal || modal == this;
}

bool TProp_Form::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && FLoadOnActivation)
        FormActivate();
    else if (event->type() == QEvent::WindowDeactivate)
        FLoadOnActivation = ActivationStaysInTheProgram();
    return QDialog::event(event);
}

void TProp_Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A kiosk's X server without a window manager activates nothing by itself: the dialog asks
    // for the keyboard, and loads at once should no activation come, so that it never shows,
    // or saves, values it did not read.
    activateWindow();
    QTimer::singleShot(0, this, [this] {
        if (FLoadOnActivation && isVisible())
            FormActivate();
    });
}

// Without a window manager nobody hands the keyboard back when a window that the dialog opened
// closes: it would stay with the screen's root, and keys would go nowhere until a click.
void TProp_Form::TakeTheKeyboardBack() {
    if (!isVisible() || QApplication::activeWindow() == this)
        return;
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this)
        return; // a box still open above the dialog keeps it
    activateWindow();
}

bool TProp_Form::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched != this && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow() && isVisible()) {
        // Back from the about box the dialog loads afresh, as it does when a window manager
        // activates it again.
        if (watched == FWelcome && FWelcomeLent)
            FLoadOnActivation = true;
        QTimer::singleShot(0, this, &TProp_Form::TakeTheKeyboardBack);
        return false;
    }
    if (watched == SampleIMG && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        SampleIMG->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        BackgroundBmpButtonClick(SampleIMG);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
