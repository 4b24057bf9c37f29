// The dialog at work: loading every setting into its controls and saving them back, the
// pickers, lending the about box, and when coming back to the dialog loads afresh. Its pages are
// made in PropertiesPages.cpp.

#include "settings/Properties.h"

#include "controls/GIFImage.h"
#include "controls/MediaPlayer.h"
#include "controls/SpinEdit.h"
#include "controls/StatusGrid.h"
#include "core/ErrorReporter.h"
#include "core/QtText.h"
#include "settings/ControlTags.h"
#include "settings/Platform.h"
#include "settings/RegistryDef.h"
#include "settings/SettingsTable.h"
#include "settings/Welcome.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <exception>

namespace {

std::int32_t DialogNumber(TSettingId id, const TSettingsEnvironment& environment) {
    const TSettingDef& setting = SettingDef(id);
    return std::get<std::int32_t>(ResolveDefault(setting, setting.DialogDefault, environment));
}

std::string DialogText(TSettingId id) {
    const TSettingDef& setting = SettingDef(id);
    return std::get<std::string>(ResolveDefault(setting, setting.DialogDefault, {}));
}

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

// The word a team's colour is stored as, which Team2ColourOf and Team3ColourOf read back; none
// for a group with no colour ticked.
const char* ColourWord(int colour) {
    switch (colour) {
    case tcGreen:
        return "Green";
    case tcBlue:
        return "Blue";
    case tcYellow:
        return "Yellow";
    default:
        return nullptr;
    }
}

// The parsers give only colours the team's group holds; were one missing, the group would keep
// its tick rather than be left with none.
void TickColour(QButtonGroup* team, TTeamColour colour) {
    if (QAbstractButton* button = team->button(colour))
        button->setChecked(true);
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
    resize(sizeHint().expandedTo(QSize(480, 370)));
}

TProp_Form::~TProp_Form() {
    GiveBackTheWelcomeWindow();
}

void TProp_Form::ConnectHandlers() {
    // Loading sets boxes as a click would, and their dependants must follow; only the
    // operator's own unticking clears the minutes.
    connect(Show_Time_Left, &QCheckBox::toggled, Time_Remaining, &QWidget::setEnabled);
    connect(Show_Time_Left, &QCheckBox::clicked, this, &TProp_Form::Show_Time_LeftClick);
    connect(ShowClock, &QCheckBox::toggled, this, &TProp_Form::ShowClockClick);
    connect(ShowScrollMsg, &QCheckBox::toggled, this, &TProp_Form::ShowScrollMsgClick);

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

    connect(AboutButton, &QPushButton::clicked, this, &TProp_Form::AboutButtonClick);
    connect(SaveButton, &QPushButton::clicked, this, &TProp_Form::SaveButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &TProp_Form::CloseButtonClick);
}

// What the controls show before anything is read: the dialog's defaults from the settings
// table, the lists with no item chosen.
void TProp_Form::SetDesignValues(const TSettingsEnvironment& environment) {
    for (const TSettingDef& setting : AllSettings()) {
        if (!*setting.Control)
            continue;
        auto* control = findChild<QWidget*>(QString::fromLatin1(setting.Control));
        const TSettingValue value = ResolveDefault(setting, setting.DialogDefault, environment);
        if (auto* box = qobject_cast<QCheckBox*>(control))
            box->setChecked(std::get<bool>(value));
        else if (auto* list = qobject_cast<QComboBox*>(control))
            list->setCurrentIndex(-1);
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(FromUtf8(std::get<std::string>(value)));
        else if (auto* spin = qobject_cast<TSpinEdit*>(control))
            spin->SetValue(std::get<std::int32_t>(value));
    }
    Show_Time_Left->setChecked(true);
    TickColour(Team2Colour, Team2ColourOf(DialogText(sTeam2Colour)));
    TickColour(Team3Colour, Team3ColourOf(DialogText(sTeam3Colour)));
}

void TProp_Form::FormActivate() {
    FLoadOnActivation = false;
    try {
        const TSettingsEnvironment environment = PlatformSettingsEnvironment();
        // Each load starts from the defaults, so an edit not yet saved goes even where nothing
        // is stored; the screen's size and the paths under the program folder are among them.
        SetDesignValues(environment);
        TRegistryDef registry(PlatformRegistryStore());
        registry.SetRootKey(TRootKey::LocalMachine);
        if (registry.OpenKey(kSettingsKeyPath, true)) {
            ReadTaggedControls(registry, this, kSettingsKeyTag);
            if (QFileInfo(BackgroundBMP->text()).isFile())
                LoadSamplePicture(BackgroundBMP->text());
            if (Mode->currentIndex() < 0)
                Mode->setCurrentIndex(DialogNumber(sMode, environment));
            if (ClockPosition->currentIndex() < 0)
                ClockPosition->setCurrentIndex(DialogNumber(sClockPosition, environment));
            Show_Time_Left->setChecked(Time_Remaining->Value() != 0);
            Time_Remaining->setEnabled(Show_Time_Left->isChecked());
            ShowScrollMsgClick();
            ShowClockClick();
            GridSettingsChange();
            OpenTrialSound();

            const auto stored = [&registry](TSettingId id) {
                return registry.ReadStringDef(SettingDef(id).Name, DialogText(id));
            };
            TickColour(Team2Colour, Team2ColourOf(stored(sTeam2Colour)));
            TickColour(Team3Colour, Team3ColourOf(stored(sTeam3Colour)));
            registry.CloseKey();
        }
        if (registry.OpenKey(kLanguageKeyPath, false)) {
            ReadTaggedControls(registry, this, kLanguageKeyTag);
            registry.CloseKey();
        }
    } catch (const std::exception& failure) {
        ReportError(FromUtf8(failure.what()));
    }
    // Texts read from their beginning.
    for (int tag : {kSettingsKeyTag, kLanguageKeyTag})
        for (QWidget* control : TaggedControls(this, tag))
            if (auto* edit = qobject_cast<QLineEdit*>(control))
                edit->home(false);
    // All four pack states side by side.
    for (int team = 1; team <= kTeamCount; ++team)
        for (int pack = 1; pack <= kMaxPacksPerTeam; ++pack)
            StatusGrid1->SetPackState(team, pack, (team + pack) % 4);
}

void TProp_Form::LoadSamplePicture(const QString& fileName) {
    try {
        SampleIMG->LoadFromFile(fileName);
    } catch (const TPictureError& failure) {
        ReportError(QStringLiteral("%1\n\n%2").arg(FromUtf8(failure.what()), fileName));
    }
}

void TProp_Form::OpenTrialSound() {
    const std::string fileName = ToUtf8(Audio_File->text());
    MediaPlayer1->SetFileName(fileName);
    if (!MediaPlayer1->SoundFileExists(fileName))
        return;
    try {
        MediaPlayer1->Open();
    } catch (const TMediaError& failure) {
        ReportError(FromUtf8(failure.what()));
    }
}

void TProp_Form::SaveButtonClick() {
    // A number still being typed is saved as leaving its field would have left it, clamped.
    for (TSpinEdit* spin : findChildren<TSpinEdit*>())
        spin->interpretText();
    try {
        TRegistryDef registry(PlatformRegistryStore());
        registry.SetRootKey(TRootKey::LocalMachine);
        // Nothing has written the keys before the first save: reading never does.
        registry.OpenKey(kSettingsKeyPath, true);
        WriteTaggedControls(registry, this, kSettingsKeyTag);
        for (const auto& [id, team] :
             {std::pair{sTeam2Colour, Team2Colour}, std::pair{sTeam3Colour, Team3Colour}})
            if (const char* word = ColourWord(team->checkedId()))
                registry.WriteString(SettingDef(id).Name, word);
        registry.CloseKey();
        registry.OpenKey(kLanguageKeyPath, true);
        WriteTaggedControls(registry, this, kLanguageKeyTag);
        registry.CloseKey();
    } catch (const std::exception& failure) {
        // Values written so far stay; the display keeps its present layout.
        ReportError(FromUtf8(failure.what()));
        accept();
        return;
    }
    if (FHost) {
        FHost->SetStayOnTop(Always_On_Top->isChecked());
        FHost->FormActivate();
    }
    accept();
}

void TProp_Form::CloseButtonClick() {
    reject();
}

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
