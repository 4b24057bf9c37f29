#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// On an X server without a window manager (a kiosk started with `xinit tallivue`) nobody gives
// a window the keyboard: not a dialog or message box when it appears, nor the window beneath
// when it goes. This watches the program's own windows and does it, so F1 and F5 on the
// display, Enter in a message box and typing in the properties dialog and its file pickers
// work there as on a desktop. With a window manager it only asks for what the manager would
// have given anyway.
class TKioskFocus : public QObject {
    Q_OBJECT

public:
    // `home` takes the keyboard back when the last of the other windows goes.
    explicit TKioskFocus(QWidget* home);
    ~TKioskFocus() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GiveBackKeyboard();

    QPointer<QWidget> FHome;
};
