#include "settings/Welcome.h"

#include "controls/Fonts.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

namespace {

// MS Sans Serif, the face the box was laid out in, is on Linux only a bitmap strike of one
// size: fine at 13 pixels, but it does not grow to the name's 32. Tahoma, its TrueType
// successor with the same proportions, is clean at both sizes and keeps one face throughout.
const char* const kFace = "Tahoma";
const int kTextHeight = 13;
const int kNameHeight = 32;

const char* const kAboutText = "displays pack download and game status.\n"
                               "Suitable for 'Kit Up Rooms' to download packs.\n"
                               "\n"
                               "Written by the Tallivue developers\n"
                               "for laser-tag arenas everywhere.\n"
                               "Graphics made for Tallivue\n"
                               "with ImageMagick.\n"
                               "\n"
                               "The maker of the game controller did not\n"
                               "write this program and cannot support it.\n"
                               "Use it entirely at your own risk.\n"
                               "\n"
                               "Only for those authorised to use\n"
                               "the arena's game system.";

// Qt puts a top-aligned label's baseline at its own ascent for the face, which for Tahoma is a
// good deal less than the Windows ascent the layout was drawn with; a top margin makes up the
// difference.
void SetCellFont(QLabel* label, int cellHeight) {
    const TCellFont cell = CellFont(QString::fromLatin1(kFace), cellHeight);
    label->setFont(cell.Font);
    label->setAlignment(label->alignment() | Qt::AlignTop);
    label->setContentsMargins(0, std::max(0, cell.Ascent - QFontMetrics(cell.Font).ascent()), 0, 0);
}

} // namespace

TWelcome_Form::TWelcome_Form(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Tallivue"));
    setFixedSize(304, 320);
    setFont(CellFont(QString::fromLatin1(kFace), kTextHeight).Font);

    // With their baselines where the layout puts them, the name and the version stand on one
    // line.
    Label1 = new QLabel(QStringLiteral("Tallivue"), this);
    Label1->setGeometry(80, 16, 161, 37);
    Label1->setAlignment(Qt::AlignHCenter);
    SetCellFont(Label1, kNameHeight);

    version_label = new QLabel(QStringLiteral(TALLIVUE_VERSION), this);
    version_label->setGeometry(248, 32, 57, 13);
    version_label->setFixedSize(57, 13);
    version_label->setAlignment(Qt::AlignLeft);
    SetCellFont(version_label, kTextHeight);

    Memo1 = new QTextEdit(this);
    Memo1->setGeometry(16, 56, 281, 233);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette colours = Memo1->palette();
    colours.setColor(QPalette::Base, palette().color(QPalette::Window));
    colours.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    Memo1->setPalette(colours);
    Memo1->setPlainText(QString::fromLatin1(kAboutText));
    QTextCursor all(Memo1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);

    // Made after the text, so the button lies above its bottom pixel row.
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(111, 288, 75, 25);
    OKButton->setDefault(true);
    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &TWelcome_Form::OKButtonClick);

    for (QObject* clickable :
         {static_cast<QObject*>(this), static_cast<QObject*>(Label1),
          static_cast<QObject*>(version_label), static_cast<QObject*>(Memo1->viewport())})
        clickable->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setInterval(5000);
    connect(Timer1, &QTimer::timeout, this, &TWelcome_Form::OKButtonClick);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    show();
    Timer1->start();
}

void TWelcome_Form::ShowWelcome() {
    show();
    raise();
    activateWindow();
}

void TWelcome_Form::OKButtonClick() {
    Timer1->stop();
    hide();
}

void TWelcome_Form::FormClick() {
    Timer1->stop();
}

bool TWelcome_Form::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress)
        FormClick();
    // Passed on: the text still takes its clicks, for selecting.
    return QDialog::eventFilter(watched, event);
}
