// The dialog at work: its handlers, the pickers and the trial sound. Its pages are made in
// PropertiesPages.cpp, its loading and saving are in PropertiesLoadSave.cpp, and how it gets
// on with the program's other windows is in PropertiesWindows.cpp.

#include "settings/Properties.h"

#include "settings/BoardAddress.h"

#include "controls/GIFImage.h"
#include "controls/MediaPlayer.h"
#include "controls/SpinEdit.h"
#include "controls/StatusGrid.h"
#include "core/ErrorReporter.h"
#include "core/QtText.h"
#include "settings/Platform.h"
#include "settings/Welcome.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QToolButton>

namespace {

// A folder with its separator at the end.
QString FolderOf(const QString& file) {
    QString folder = QFileInfo(file).absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return QDir::toNativeSeparators(folder);
}

TPickRequest PictureRequest(const QString& lastChosen) {
    TPickRequest request;
    request.Filters = {
        {QStringLiteral("All files (*.*)"), QStringLiteral("*.*")},
        {QStringLiteral("All graphics files (*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.emf;*.wmf)"),
         QStringLiteral("*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.emf;*.wmf")},
        {QStringLiteral("Bitmap (*.bmp)"), QStringLiteral("*.bmp")},
        {QStringLiteral("Graphics Interchange Format (*.gif)"), QStringLiteral("*.gif")},
        {QStringLiteral("JPEG image (*.jpg; *.jpeg)"), QStringLiteral("*.jpg; *.jpeg")},
    };
    request.FilterIndex = 1;
    request.FileName = lastChosen;
    return request;
}

TPickRequest AudioRequest(const QString& fileName) {
    TPickRequest request;
    request.Title = QStringLiteral("Open Audio File");
    request.Filters = {{QStringLiteral("Audio Files (.wav,.mp3,.mid,.midi)"),
                        QStringLiteral("*.wav;*.mp3;*.mid;*.midi")}};
    request.FileName = fileName;
    request.MustExist = true;
    request.HideReadOnly = true;
    return request;
}

} // namespace

TProp_Form::TProp_Form(TWelcome_Form* welcome, TPropertiesHost* host, QWidget* parent)
    : QDialog(parent), FWelcome(welcome), FHost(host) {
    setWindowTitle(QStringLiteral("Tallivue -- Properties"));
    setSizeGripEnabled(true);
    // The face and size the dialog was drawn in, where the face is at hand (fonts-wine).
    if (QFontDatabase::hasFamily(QStringLiteral("Tahoma"))) {
        QFont face(QStringLiteral("Tahoma"));
        face.setPixelSize(11);
        setFont(face);
    }
    MediaPlayer1 = new TMediaPlayer(this);
    Pick = [this](const TPickRequest& request) {
        return RunFilePicker(this, request);
    };

    CreateControls();
    ConnectHandlers();
    // To see the program's other windows close: the about box, a picker, a message box.
    qApp->installEventFilter(this);
    SetDesignValues(PlatformSettingsEnvironment());
    GridSettingsChange();
    ShowBoardAddress();
    resize(sizeHint().expandedTo(QSize(480, 370)));
}

TProp_Form::~TProp_Form() {
    GiveBackTheWelcomeWindow();
}

void TProp_Form::ShowBoardAddress() {
    const int port = Web_Port->Value();
    if (port == 0)
        WebBoardAddress->setText(QStringLiteral("The web service is off."));
    else if (port < kLowestWebPort)
        WebBoardAddress->setText(
            QStringLiteral("Ports below %1 are the system's: choose %1 or above.")
                .arg(kLowestWebPort));
    else
        WebBoardAddress->setText(QStringLiteral("The board: ") +
                                 BoardAddress(port, Web_Address->text()));
}

void TProp_Form::ConnectHandlers() {
    // Loading sets boxes as a click would, and their dependants must follow; only the
    // operator's own unticking clears the minutes.
    connect(Show_Time_Left, &QCheckBox::toggled, Time_Remaining, &QWidget::setEnabled);
    connect(Show_Time_Left, &QCheckBox::clicked, this, &TProp_Form::Show_Time_LeftClick);
    connect(ShowClock, &QCheckBox::toggled, this, &TProp_Form::ShowClockClick);
    connect(ShowScrollMsg, &QCheckBox::toggled, this, &TProp_Form::ShowScrollMsgClick);
    for (QLineEdit* day : Hours)
        connect(Opening_Hours, &QCheckBox::toggled, day, &QWidget::setEnabled);

    for (QButtonGroup* team : {Team2Colour, Team3Colour})
        connect(team, &QButtonGroup::idToggled, this, &TProp_Form::GridSettingsChange);
    for (QCheckBox* box :
         {ShowTeamTotals, ShowOverallTotals, ShowCaptions, ShowLittleNumbers, ShowBars})
        connect(box, &QCheckBox::toggled, this, &TProp_Form::GridSettingsChange);
    // Every change: each keystroke, also one that leaves no valid number yet, of which the
    // field's value signal says nothing, and each value set, which its text edit keeps quiet on.
    if (auto* edit = PacksPerTeam->findChild<QLineEdit*>())
        connect(edit, &QLineEdit::textChanged, this, &TProp_Form::GridSettingsChange);
    connect(PacksPerTeam, &QSpinBox::valueChanged, this, &TProp_Form::GridSettingsChange);

    for (QToolButton* button : {BackgroundBmpButton, TitleButton, CenterLogoButton})
        connect(button, &QToolButton::clicked, this,
                [this, button] { BackgroundBmpButtonClick(button); });
    SampleIMG->installEventFilter(this);

    connect(AudioFileButton, &QToolButton::clicked, this, &TProp_Form::AudioFileButtonClick);
    connect(TalkingFolderButton, &QToolButton::clicked, this,
            &TProp_Form::TalkingFolderButtonClick);
    connect(PlayButton, &QPushButton::clicked, this, &TProp_Form::PlayButtonClick);
    connect(Web_Port, &QSpinBox::valueChanged, this, &TProp_Form::ShowBoardAddress);
    connect(Web_Address, &QLineEdit::textChanged, this, &TProp_Form::ShowBoardAddress);

    connect(AboutButton, &QPushButton::clicked, this, &TProp_Form::AboutButtonClick);
    connect(SaveButton, &QPushButton::clicked, this, &TProp_Form::SaveButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &TProp_Form::CloseButtonClick);
}

void TProp_Form::CloseButtonClick() {
    reject();
}

void TProp_Form::Show_Time_LeftClick() {
    Time_Remaining->setEnabled(Show_Time_Left->isChecked());
    if (!Show_Time_Left->isChecked())
        Time_Remaining->SetValue(0);
}

void TProp_Form::ShowClockClick() {
    ClockPosition->setEnabled(ShowClock->isChecked());
}

void TProp_Form::ShowScrollMsgClick() {
    const bool shown = ShowScrollMsg->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{Msg1Label, Msg1, Msg2Label, Msg2,
                                                            Msg3Label, Msg3, Msg4Label, Msg4})
        control->setEnabled(shown);
}

void TProp_Form::GridSettingsChange() {
    // With no colour ticked the id is -1, which the grid passes over.
    StatusGrid1->SetTeamColour(2, Team2Colour->checkedId());
    StatusGrid1->SetTeamColour(3, Team3Colour->checkedId());
    // While the operator types, a number beyond the grid leaves the preview as it is.
    const int packs = PacksPerTeam->Value();
    if (packs >= 1 && packs <= kMaxPacksPerTeam)
        StatusGrid1->SetPacksPerTeam(packs);
    StatusGrid1->SetShowCaptions(ShowCaptions->isChecked());
    StatusGrid1->SetShowLittleNumbers(ShowLittleNumbers->isChecked());
    StatusGrid1->SetShowBars(ShowBars->isChecked());
    StatusGrid1->SetShowOverallTotals(ShowOverallTotals->isChecked());
    StatusGrid1->SetShowTeamTotals(ShowTeamTotals->isChecked());
}

void TProp_Form::BackgroundBmpButtonClick(QObject* sender) {
    const QString path = QDir::toNativeSeparators(RunPicker(PictureRequest(FLastPicture)));
    if (path.isEmpty())
        return;
    FLastPicture = path;
    if (sender == BackgroundBmpButton)
        BackgroundBMP->setText(path);
    else if (sender == TitleButton)
        Title_->setText(path);
    else if (sender == CenterLogoButton)
        Center_Logo->setText(path);
    LoadSamplePicture(path);
}

void TProp_Form::AudioFileButtonClick() {
    const QString path = QDir::toNativeSeparators(RunPicker(AudioRequest(Audio_File->text())));
    if (!path.isEmpty())
        Audio_File->setText(path);
}

void TProp_Form::TalkingFolderButtonClick() {
    const QString path = QDir::toNativeSeparators(RunPicker(AudioRequest(Talking_Folder->text())));
    if (!path.isEmpty())
        Talking_Folder->setText(FolderOf(path));
}

void TProp_Form::PlayButtonClick() {
    if (Audio_File->text().isEmpty()) {
        ReportError(QStringLiteral("No special event audio is chosen: pick a sound file first."));
        return;
    }
    try {
        MediaPlayer1->SetFileName(ToUtf8(Audio_File->text()));
        MediaPlayer1->Open();
        if (!MediaPlayer1->Play())
            ReportError(
                QStringLiteral("The sound file %1 cannot be played.").arg(Audio_File->text()));
    } catch (const TMediaError& failure) {
        ReportError(FromUtf8(failure.what()));
    }
}

void TProp_Form::FormClose() {
    MediaPlayer1->Close();
}

void TProp_Form::done(int result) {
    FormClose();
    GiveBackTheWelcomeWindow();
    QDialog::done(result);
}

QString TProp_Form::RunPicker(const TPickRequest& request) {
    // A picker is not a window of the program: coming back from it keeps the edits.
    const QScopedValueRollback<bool> picking(FPicking, true);
    return Pick ? Pick(request) : QString();
}
