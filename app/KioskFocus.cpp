#include "app/KioskFocus.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

TKioskFocus::TKioskFocus(QWidget* home) : QObject(home), FHome(home) {
    qApp->installEventFilter(this);
}

TKioskFocus::~TKioskFocus() {
    qApp->removeEventFilter(this);
}

bool TKioskFocus::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide)
        return false;
    auto* window = qobject_cast<QWidget*>(watched);
    // Menus and tool tips take no keyboard of their own; the home window looks after itself.
    if (!window || !window->isWindow() || window == FHome || window->windowType() == Qt::Popup ||
        window->windowType() == Qt::ToolTip)
        return false;
    if (type == QEvent::Show) {
        // Once it is on the screen: X gives the keyboard to a mapped window only.
        QTimer::singleShot(0, window, [window] {
            if (window->isVisible())
                window->activateWindow();
        });
    } else {
        QTimer::singleShot(0, this, &TKioskFocus::GiveBackKeyboard);
    }
    return false;
}

void TKioskFocus::GiveBackKeyboard() {
    // A window that has just gone may still count as active until X says otherwise.
    if (const QWidget* active = QApplication::activeWindow(); active && active->isVisible())
        return;
    QWidget* next = QApplication::activeModalWidget();
    if (!next)
        next = FHome;
    if (next && next->isVisible())
        next->activateWindow();
}
