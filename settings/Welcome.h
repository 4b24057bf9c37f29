#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;
class QTimer;

// The program's about box. It shows itself when created, at start-up, and hides itself after
// five seconds unless the operator takes notice of it (a click into it, or OK); shown again
// later, from the About command, it stays until closed. Created once, it lives as long as the
// program and is only ever shown and hidden, never modal.
class TWelcome_Form : public QDialog {
    Q_OBJECT

public:
    explicit TWelcome_Form(QWidget* parent = nullptr);

    // Shows the window and brings it to the front; the time-out is not started again.
    void ShowWelcome();
    // Switches the time-out off and hides the window; the time-out ends here too.
    void OKButtonClick();
    // The operator has taken notice: the window stays until closed.
    void FormClick();

    QLabel* Label1;
    QLabel* version_label;
    QTextEdit* Memo1;
    QPushButton* OKButton;
    QTimer* Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
