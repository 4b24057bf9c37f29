#include "settings/Properties.h"

#include "controls/Banner.h"
#include "controls/MediaPlayer.h"
#include "controls/SpinEdit.h"
#include "controls/StatusGrid.h"
#include "core/ErrorReporter.h"
#include "core/Latin1.h"
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
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValidator>
#include <QWindow>

#include <algorithm>
#include <exception>
#include <type_traits>

namespace {

const QColor kLightRed(255, 128, 128);
const QColor kLightGreen(128, 255, 128);
const QColor kLightBlue(128, 128, 255);
const QColor kLightYellow(255, 255, 128);

int TagOfKey(TSettingsKey key) {
    return key == TSettingsKey::Language ? kLanguageKeyTag : kSettingsKeyTag;
}

// A control that the generic load and save find: named and tagged after its setting, and a spin
// field limited and stepped as the settings table says.
template <typename TControl>
TControl* Stored(TSettingId id, QWidget* parent) {
    const TSettingDef& setting = SettingDef(id);
    auto* control = new TControl(parent);
    control->setObjectName(QString::fromLatin1(setting.Control));
    SetTag(control, TagOfKey(setting.Key));
    if constexpr (std::is_same_v<TControl, TSpinEdit>) {
        control->SetLimits(setting.Limited ? setting.Min : 0, setting.Limited ? setting.Max : 0);
        control->SetIncrement(setting.Step);
    }
    return control;
}

template <typename TControl>
TControl* Named(const char* name, const QString& caption, QWidget* parent) {
    auto* control = new TControl(caption, parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QToolButton* FolderButton(const char* name, const QString& hint, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    return button;
}

void Tint(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(control->backgroundRole(), colour);
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

// A row of widgets and texts, packed to the left.
QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets)
        row->addWidget(widget);
    row->addStretch(1);
    return row;
}

// "Window Position": captioned spin fields two to a row.
QGroupBox* PositionGroup(QWidget* parent,
                         std::initializer_list<std::pair<QString, TSpinEdit*>> fields) {
    auto* group = new QGroupBox(QStringLiteral("Window Position"), parent);
    auto* grid = new QGridLayout(group);
    int index = 0;
    for (const auto& [caption, field] : fields) {
        field->setParent(group);
        grid->addWidget(Caption(caption, field, group), index / 2, index % 2 * 2);
        grid->addWidget(field, index / 2, index % 2 * 2 + 1);
        ++index;
    }
    grid->setColumnStretch(4, 1);
    return group;
}

std::int32_t DialogNumber(TSettingId id, const TSettingsEnvironment& environment) {
    const TSettingDef& setting = SettingDef(id);
    return std::get<std::int32_t>(ResolveDefault(setting, setting.DialogDefault, environment));
}

std::string DialogText(TSettingId id) {
    const TSettingDef& setting = SettingDef(id);
    return std::get<std::string>(ResolveDefault(setting, setting.DialogDefault, {}));
}

// A chosen path as the program keeps it: the system's separators, and single-byte text. A path
// with characters beyond Latin-1 could not be stored as it is, so it is refused with a word to
// the operator, and the result is empty.
QString KeptPath(const QString& chosen) {
    if (chosen.isEmpty())
        return {};
    const QString path = QDir::toNativeSeparators(chosen);
    if (FromLatin1(ToLatin1(path)) != path) {
        ReportError(QStringLiteral("Tallivue keeps file names as single-byte (Latin-1) text, and "
                                   "this one has characters beyond it:\n%1\n\nPlease choose a "
                                   "file whose path has none.")
                        .arg(path));
        return {};
    }
    return path;
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

// Lets into an edit only what the settings can keep: the program's text is single-byte.
class TLatin1Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const QChar c : input)
            if (c.unicode() > 0xFF)
                return Invalid;
        return Acceptable;
    }
};

// Holds the preview grid at the width the layout gives it, and takes the height the grid
// derives from that width, which the grid sets on itself.
class TGridHolder : public QWidget {
public:
    explicit TGridHolder(QWidget* parent) : QWidget(parent) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    void Hold(TStatusGrid* grid) {
        FGrid = grid;
        grid->move(0, 0);
        grid->installEventFilter(this);
        setFixedHeight(grid->height());
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (FGrid)
            FGrid->SetWidth(width());
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == FGrid && event->type() == QEvent::Resize)
            setFixedHeight(FGrid->height());
        return QWidget::eventFilter(watched, event);
    }

private:
    TStatusGrid* FGrid = nullptr;
};

} // namespace

QString RunFilePicker(QWidget* parent, const TPickRequest& request) {
    QFileDialog dialog(parent, request.Title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.MustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Qt's picker has no "open as read-only" box, so there is none to hide.
    QStringList captions;
    for (const TFileFilter& filter : request.Filters)
        captions << filter.Caption;
    dialog.setNameFilters(captions);
    if (!request.FileName.isEmpty()) {
        const QFileInfo start(request.FileName);
        if (start.isDir()) {
            dialog.setDirectory(start.absoluteFilePath());
        } else {
            dialog.setDirectory(start.absolutePath());
            dialog.selectFile(start.fileName());
        }
    }
    // Qt reads a filter's patterns out of its caption and splits them at blanks only; these
    // captions part them with ';' as the Windows picker does, where "*.*" is every file. So the
    // picker's file list gets the patterns from here, at the start and at every choice.
    auto* files = dialog.findChild<QFileSystemModel*>();
    const auto usePatterns = [&request, files](qsizetype index) {
        if (!files || index < 0 || index >= request.Filters.size())
            return;
        QStringList patterns;
        for (const QString& part :
             request.Filters[index].Patterns.split(u';', Qt::SkipEmptyParts)) {
            const QString pattern = part.trimmed();
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        files->setNameFilters(patterns);
    };
    if (request.FilterIndex >= 0 && request.FilterIndex < captions.size())
        dialog.selectNameFilter(captions[request.FilterIndex]);
    usePatterns(captions.indexOf(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&](const QString& caption) { usePatterns(captions.indexOf(caption)); });
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}

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

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    // Every tab in view at once, as the tabs of the Windows dialog are.
    PageControl1->setUsesScrollButtons(false);
    CreatePages();
    PageControl1->setCurrentIndex(0);

    AboutButton = Named<QPushButton>("AboutButton", QStringLiteral("A&bout"), this);
    SaveButton = Named<QPushButton>("SaveButton", QStringLiteral("&Save"), this);
    CloseButton = Named<QPushButton>("CloseButton", QStringLiteral("&Cancel"), this);
    AboutButton->setAutoDefault(false);
    CloseButton->setAutoDefault(false);
    SaveButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(AboutButton);
    buttons->addStretch(1);
    buttons->addWidget(SaveButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);

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

void TProp_Form::CreatePages() {
    PageControl1->addTab(CreateModePage(), QStringLiteral("Mode"));
    PageControl1->addTab(CreateFullScreenPage(), QStringLiteral("Full screen"));
    PageControl1->addTab(CreateFloatingWindowPage(), QStringLiteral("Floating window"));
    PageControl1->addTab(CreateScrollMessagePage(), QStringLiteral("Scroll message"));
    PageControl1->addTab(CreateStatusGridPage(), QStringLiteral("Status Grid"));
    PageControl1->addTab(CreateAudioPage(), QStringLiteral("Audio"));
    PageControl1->addTab(CreateInternationalPage(), QStringLiteral("International"));
}

// The controls are made in the order of their tab's table: the generic load and save go
// through them in the order the dialog holds them.

QWidget* TProp_Form::CreateModePage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    Mode = Stored<QComboBox>(sMode, page);
    Mode->addItems({QStringLiteral("Full screen"), QStringLiteral("Floating window")});
    Show_Time_Left =
        Named<QCheckBox>("Show_Time_Left", QStringLiteral("Show Time Remaining"), page);
    Time_Remaining = Stored<TSpinEdit>(sTimeRemaining, page);
    RightClickMenu = Stored<QCheckBox>(sRightClickMenu, page);
    RightClickMenu->setText(QStringLiteral("Right-click shows pop-up menu"));

    grid->addWidget(Caption(QStringLiteral("Select Mode"), Mode, page), 0, 0);
    grid->addLayout(Row({Mode}), 0, 1);
    grid->addWidget(Show_Time_Left, 1, 0);
    grid->addLayout(Row({Time_Remaining, new QLabel(QStringLiteral("minute(s)."), page)}), 1, 1);
    grid->addWidget(RightClickMenu, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* TProp_Form::CreateFullScreenPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    SetFullX = Stored<TSpinEdit>(sSetFullX, page);
    SetFullY = Stored<TSpinEdit>(sSetFullY, page);
    SetWidth = Stored<TSpinEdit>(sSetWidth, page);
    SetHeight = Stored<TSpinEdit>(sSetHeight, page);
    QGroupBox* position = PositionGroup(page, {{QStringLiteral("Left"), SetFullX},
                                               {QStringLiteral("Top"), SetFullY},
                                               {QStringLiteral("Width"), SetWidth},
                                               {QStringLiteral("Height"), SetHeight}});

    // The sample shows the background picture at a screen's proportions; a click picks one.
    auto* sampleFrame = new QFrame(page);
    sampleFrame->setFrameShape(QFrame::StyledPanel);
    sampleFrame->setFrameShadow(QFrame::Sunken);
    SampleIMG = new TGIFImage(sampleFrame);
    SampleIMG->setObjectName(QStringLiteral("SampleIMG"));
    SampleIMG->SetStretch(true);
    SampleIMG->setFixedSize(112, 84);
    SampleIMG->setCursor(Qt::PointingHandCursor);
    SampleIMG->setToolTip(QStringLiteral("Click to choose a picture to look at"));
    auto* sampleLayout = new QVBoxLayout(sampleFrame);
    sampleLayout->setContentsMargins(1, 1, 1, 1);
    sampleLayout->addWidget(SampleIMG);

    grid->addWidget(position, 0, 0, 1, 2);
    grid->addWidget(sampleFrame, 0, 2, 1, 2, Qt::AlignRight | Qt::AlignTop);

    const auto addPath = [&](int row, TSettingId id, const QString& caption, const char* button,
                             const QString& hint, QLineEdit*& edit, QToolButton*& picker) {
        edit = Stored<QLineEdit>(id, page);
        picker = FolderButton(button, hint, page);
        grid->addWidget(Caption(caption, edit, page), row, 0);
        grid->addWidget(edit, row, 1, 1, 2);
        grid->addWidget(picker, row, 3);
    };
    addPath(1, sBackgroundBMP, QStringLiteral("Background BMP"), "BackgroundBmpButton",
            QStringLiteral("Choose the background picture"), BackgroundBMP, BackgroundBmpButton);
    addPath(2, sTitle, QStringLiteral("Title"), "TitleButton",
            QStringLiteral("Choose the title picture"), Title_, TitleButton);
    addPath(3, sCenterLogo, QStringLiteral("Center Logo"), "CenterLogoButton",
            QStringLiteral("Choose the centre logo"), Center_Logo, CenterLogoButton);

    Always_On_Top = Stored<QCheckBox>(sAlwaysOnTop, page);
    Always_On_Top->setText(QStringLiteral("Always on Top"));
    ShowClock = Stored<QCheckBox>(sShowClock, page);
    ShowClock->setText(QStringLiteral("Show Clock"));
    ClockPosition = Stored<QComboBox>(sClockPosition, page);
    ClockPosition->addItems({QStringLiteral("Top Centre"), QStringLiteral("Top Left"),
                             QStringLiteral("Top Right"), QStringLiteral("Bottom Centre"),
                             QStringLiteral("Bottom Left"), QStringLiteral("Bottom Right")});
    ClockPosition->setAccessibleName(QStringLiteral("Clock position"));
    Polygon = Stored<QCheckBox>(sPolygon, page);
    Polygon->setText(QStringLiteral("Show Animated Polygon"));
    Show_Total_Packs = Stored<QCheckBox>(sShowTotalPacks, page);
    Show_Total_Packs->setText(QStringLiteral("Show Total Packs"));

    auto* options = new QGridLayout;
    options->addWidget(Always_On_Top, 0, 0);
    options->addLayout(Row({ShowClock, ClockPosition}), 1, 0);
    options->addWidget(Polygon, 0, 1);
    options->addWidget(Show_Total_Packs, 1, 1);
    options->setColumnStretch(0, 1);
    options->setColumnStretch(1, 1);
    grid->addLayout(options, 4, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget* TProp_Form::CreateFloatingWindowPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    SetFloatX = Stored<TSpinEdit>(sSetFloatX, page);
    SetFloatY = Stored<TSpinEdit>(sSetFloatY, page);
    SetFloatWidth = Stored<TSpinEdit>(sSetFloatWidth, page);
    QGroupBox* position = PositionGroup(page, {{QStringLiteral("Left"), SetFloatX},
                                               {QStringLiteral("Top"), SetFloatY},
                                               {QStringLiteral("Width"), SetFloatWidth}});
    HideWhenIdle = Stored<QCheckBox>(sHideWhenIdle, page);
    HideWhenIdle->setText(QStringLiteral("Hide when system is Idle"));
    HideWhenGame = Stored<QCheckBox>(sHideWhenGame, page);
    HideWhenGame->setText(QStringLiteral("Hide when game in progress"));

    layout->addWidget(position);
    layout->addWidget(HideWhenIdle);
    layout->addWidget(HideWhenGame);
    layout->addStretch(1);
    return page;
}

QWidget* TProp_Form::CreateScrollMessagePage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    ShowScrollMsg = Stored<QCheckBox>(sShowScrollMsg, page);
    ShowScrollMsg->setText(QStringLiteral("Show Scroll Message"));
    grid->addWidget(ShowScrollMsg, 0, 0, 1, 2);
    const auto addMessage = [&](int row, TSettingId id, const QString& caption, QLabel*& label,
                                QLineEdit*& edit) {
        edit = Stored<QLineEdit>(id, page);
        label = Caption(caption, edit, page);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
    };
    addMessage(1, sMsg1, QStringLiteral("Scroll message 1"), Msg1Label, Msg1);
    addMessage(2, sMsg2, QStringLiteral("Scroll message 2"), Msg2Label, Msg2);
    addMessage(3, sMsg3, QStringLiteral("Scroll message 3"), Msg3Label, Msg3);
    addMessage(4, sMsg4, QStringLiteral("Game Finish msg"), Msg4Label, Msg4);
    ScrollSpeed = Stored<TSpinEdit>(sScrollSpeed, page);
    ScrollSpeedLabel = Caption(QStringLiteral("Scroll speed"), ScrollSpeed, page);
    grid->addWidget(ScrollSpeedLabel, 5, 0);
    grid->addLayout(Row({ScrollSpeed, new QLabel(QStringLiteral("(bigger is faster)"), page)}), 5,
                    1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);
    return page;
}

QWidget* TProp_Form::CreateStatusGridPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* colours = new QGridLayout;
    top->addLayout(colours);
    Team1Panel = new QLabel(QStringLiteral("Red"), page);
    Team1Panel->setObjectName(QStringLiteral("Team1Panel"));
    Team1Panel->setFrameShape(QFrame::Panel);
    Team1Panel->setFrameShadow(QFrame::Sunken);
    Team1Panel->setIndent(4);
    Team1Panel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Tint(Team1Panel, kLightRed);
    colours->addWidget(new QLabel(QStringLiteral("Team 1 colour:"), page), 0, 0);
    colours->addWidget(Team1Panel, 0, 1);

    // Each team's colours are a group of their own: ticking one unticks only its team's.
    const auto addColour = [&](const char* name, const QString& caption, const QColor& tint,
                               QButtonGroup* team, int row, int column) {
        auto* button = Named<QRadioButton>(name, caption, page);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        Tint(button, tint);
        team->addButton(button);
        colours->addWidget(button, row, column);
        return button;
    };
    auto* team2 = new QButtonGroup(page);
    Team2Green = addColour("Team2Green", QStringLiteral("Green"), kLightGreen, team2, 1, 1);
    Team2Blue = addColour("Team2Blue", QStringLiteral("Blue"), kLightBlue, team2, 1, 2);
    colours->addWidget(Caption(QStringLiteral("Team 2 colour:"), Team2Green, page), 1, 0);
    auto* team3 = new QButtonGroup(page);
    Team3Green = addColour("Team3Green", QStringLiteral("Green"), kLightGreen, team3, 2, 1);
    Team3Blue = addColour("Team3Blue", QStringLiteral("Blue"), kLightBlue, team3, 2, 2);
    Team3Yellow = addColour("Team3Yellow", QStringLiteral("Yellow"), kLightYellow, team3, 2, 3);
    colours->addWidget(Caption(QStringLiteral("Team 3 colour:"), Team3Green, page), 2, 0);
    // The colour choices side by side in cells of one width, the tints filling them.
    int cell = Team1Panel->sizeHint().width();
    for (QWidget* colour : {static_cast<QWidget*>(Team2Green), static_cast<QWidget*>(Team2Blue),
                            static_cast<QWidget*>(Team3Green), static_cast<QWidget*>(Team3Blue),
                            static_cast<QWidget*>(Team3Yellow)})
        cell = std::max(cell, colour->sizeHint().width() + 8);
    for (int column = 1; column <= 3; ++column)
        colours->setColumnMinimumWidth(column, cell);
    colours->setRowStretch(4, 1);
    Team1Panel->setMinimumHeight(Team2Green->sizeHint().height());

    PacksPerTeam = Stored<TSpinEdit>(sPacksPerTeam, page);
    colours->addWidget(Caption(QStringLiteral("Packs per team:"), PacksPerTeam, page), 3, 0);
    colours->addLayout(Row({PacksPerTeam}), 3, 1, 1, 3);

    auto* boxes = new QVBoxLayout;
    top->addSpacing(12);
    top->addLayout(boxes);
    const auto addBox = [&](TSettingId id, const QString& caption) {
        auto* box = Stored<QCheckBox>(id, page);
        box->setText(caption);
        boxes->addWidget(box);
        return box;
    };
    ShowTeamTotals = addBox(sShowTeamTotals, QStringLiteral("Show team totals"));
    ShowOverallTotals = addBox(sShowOverallTotals, QStringLiteral("Show overall totals"));
    ShowCaptions = addBox(sShowCaptions, QStringLiteral("Show captions"));
    ShowLittleNumbers = addBox(sShowLittleNumbers, QStringLiteral("Show pack numbers"));
    ShowBars = addBox(sShowBars, QStringLiteral("Show bars"));
    boxes->addStretch(1);
    top->addStretch(1);

    auto* holder = new TGridHolder(page);
    StatusGrid1 = new TStatusGrid(holder);
    StatusGrid1->setObjectName(QStringLiteral("StatusGrid1"));
    StatusGrid1->SetWidth(433);
    holder->Hold(StatusGrid1);
    layout->addStretch(1);
    layout->addWidget(holder);
    return page;
}

QWidget* TProp_Form::CreateAudioPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    Special_Event = Stored<QCheckBox>(sSpecialEvent, page);
    Special_Event->setText(QStringLiteral("Play special audio event when"));
    Audio_Time_Left = Stored<TSpinEdit>(sAudioTimeLeft, page);
    PlayButton = Named<QPushButton>("PlayButton", QStringLiteral("Play"), page);
    PlayButton->setAutoDefault(false);
    PlayButton->setToolTip(QStringLiteral("Play the special event's sound"));
    grid->addWidget(Special_Event, 0, 0);
    grid->addLayout(
        Row({Audio_Time_Left, new QLabel(QStringLiteral("seconds remaining"), page), PlayButton}),
        0, 1, 1, 2);

    Audio_File = Stored<QLineEdit>(sAudioFile, page);
    AudioFileButton =
        FolderButton("AudioFileButton", QStringLiteral("Choose the special event's sound"), page);
    grid->addWidget(Caption(QStringLiteral("Special event audio:"), Audio_File, page), 1, 0);
    grid->addWidget(Audio_File, 1, 1);
    grid->addWidget(AudioFileButton, 1, 2);

    Talking_Download = Stored<QCheckBox>(sTalkingDownload, page);
    Talking_Download->setText(QStringLiteral("Enable talking download"));
    grid->addItem(new QSpacerItem(0, 8), 2, 0);
    grid->addWidget(Talking_Download, 3, 0, 1, 3);

    StillNeedDelayIncrement = Stored<TSpinEdit>(sStillNeedDelayIncrement, page);
    grid->addLayout(
        Row({Caption(QStringLiteral("Time delay increase between each \"Still need...\""),
                     StillNeedDelayIncrement, page),
             StillNeedDelayIncrement, new QLabel(QStringLiteral("seconds"), page)}),
        4, 0, 1, 3);

    Talking_Folder = Stored<QLineEdit>(sTalkingFolder, page);
    TalkingFolderButton = FolderButton(
        "TalkingFolderButton", QStringLiteral("Choose the folder of the talking files"), page);
    grid->addWidget(Caption(QStringLiteral("Talking files folder:"), Talking_Folder, page), 5, 0);
    grid->addWidget(Talking_Folder, 5, 1);
    grid->addWidget(TalkingFolderButton, 5, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);
    return page;
}

QWidget* TProp_Form::CreateInternationalPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = 0;
    const auto addText = [&](TSettingId id, const QString& caption) {
        auto* edit = Stored<QLineEdit>(id, page);
        grid->addWidget(Caption(caption, edit, page), row, 0);
        grid->addWidget(edit, row++, 1);
        return edit;
    };
    Playing_Game = addText(sPlayingGame, QStringLiteral("Playing Game"));
    Idle = addText(sIdle, QStringLiteral("Idle"));
    Download_Packs = addText(sDownloadPacks, QStringLiteral("Download Packs"));
    Calculating = addText(sCalculating, QStringLiteral("Calculate"));
    Text_Played = addText(sTextPlayed, QStringLiteral("Played"));
    Text_Downloaded = addText(sTextDownloaded, QStringLiteral("Downloaded"));
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return page;
}

void TProp_Form::ConnectHandlers() {
    // Loading sets boxes as a click would, and their dependants must follow; only the
    // operator's own unticking clears the minutes.
    connect(Show_Time_Left, &QCheckBox::toggled, Time_Remaining, &QWidget::setEnabled);
    connect(Show_Time_Left, &QCheckBox::clicked, this, &TProp_Form::Show_Time_LeftClick);
    connect(ShowClock, &QCheckBox::toggled, this, &TProp_Form::ShowClockClick);
    connect(ShowScrollMsg, &QCheckBox::toggled, this, &TProp_Form::ShowScrollMsgClick);

    for (QAbstractButton* control : std::initializer_list<QAbstractButton*>{
             Team2Green, Team2Blue, Team3Green, Team3Blue, Team3Yellow, ShowTeamTotals,
             ShowOverallTotals, ShowCaptions, ShowLittleNumbers, ShowBars})
        connect(control, &QAbstractButton::toggled, this, &TProp_Form::GridSettingsChange);
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

    // A character beyond Latin-1 would be saved as "?": it is not taken, and the operator is
    // told why.
    auto* latin1 = new TLatin1Validator(this);
    for (int tag : {kSettingsKeyTag, kLanguageKeyTag})
        for (QWidget* control : TaggedControls(this, tag))
            if (auto* edit = qobject_cast<QLineEdit*>(control)) {
                edit->setValidator(latin1);
                connect(edit, &QLineEdit::inputRejected, edit, [edit] {
                    QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())),
                                       QStringLiteral("Tallivue keeps its settings as Western "
                                                      "European (Latin-1) text: this character "
                                                      "cannot be kept."),
                                       edit);
                });
            }
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
            edit->setText(FromLatin1(std::get<std::string>(value)));
        else if (auto* spin = qobject_cast<TSpinEdit*>(control))
            spin->SetValue(std::get<std::int32_t>(value));
    }
    Show_Time_Left->setChecked(true);
    Team2Green->setChecked(Team2ColourOf(DialogText(sTeam2Colour)) == tcGreen);
    Team2Blue->setChecked(!Team2Green->isChecked());
    const TTeamColour team3 = Team3ColourOf(DialogText(sTeam3Colour));
    Team3Green->setChecked(team3 == tcGreen);
    Team3Blue->setChecked(team3 == tcBlue);
    Team3Yellow->setChecked(team3 == tcYellow);
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

            const TSettingDef& team2 = SettingDef(sTeam2Colour);
            if (Team2ColourOf(registry.ReadStringDef(team2.Name, DialogText(sTeam2Colour))) ==
                tcGreen)
                Team2Green->setChecked(true);
            else
                Team2Blue->setChecked(true);
            const TSettingDef& team3 = SettingDef(sTeam3Colour);
            switch (Team3ColourOf(registry.ReadStringDef(team3.Name, DialogText(sTeam3Colour)))) {
            case tcGreen:
                Team3Green->setChecked(true);
                break;
            case tcBlue:
                Team3Blue->setChecked(true);
                break;
            default:
                Team3Yellow->setChecked(true);
                break;
            }
            registry.CloseKey();
        }
        if (registry.OpenKey(kLanguageKeyPath, false)) {
            ReadTaggedControls(registry, this, kLanguageKeyTag);
            registry.CloseKey();
        }
    } catch (const std::exception& failure) {
        ReportError(FromLatin1(failure.what()));
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
        ReportError(QStringLiteral("%1\n\n%2").arg(FromLatin1(failure.what()), fileName));
    }
}

void TProp_Form::OpenTrialSound() {
    const std::string fileName = ToLatin1(Audio_File->text());
    MediaPlayer1->SetFileName(fileName);
    if (!MediaPlayer1->SoundFileExists(fileName))
        return;
    try {
        MediaPlayer1->Open();
    } catch (const TMediaError& failure) {
        ReportError(FromLatin1(failure.what()));
    }
}

void TProp_Form::SaveButtonClick() {
    // A number still being typed is saved as leaving its field would have left it, clamped.
    for (TSpinEdit* spin : findChildren<TSpinEdit*>())
        spin->interpretText();
    try {
        TRegistryDef registry(PlatformRegistryStore());
        registry.SetRootKey(TRootKey::LocalMachine);
        // Loading made the key; were it gone, the first write would say so.
        registry.OpenKey(kSettingsKeyPath, false);
        WriteTaggedControls(registry, this, kSettingsKeyTag);
        if (Team2Green->isChecked() || Team2Blue->isChecked())
            registry.WriteString(SettingDef(sTeam2Colour).Name,
                                 Team2Green->isChecked() ? "Green" : "Blue");
        if (Team3Green->isChecked())
            registry.WriteString(SettingDef(sTeam3Colour).Name, "Green");
        else if (Team3Blue->isChecked())
            registry.WriteString(SettingDef(sTeam3Colour).Name, "Blue");
        else if (Team3Yellow->isChecked())
            registry.WriteString(SettingDef(sTeam3Colour).Name, "Yellow");
        registry.CloseKey();
        // The display makes the Language key when it is first activated. Should it still be
        // missing, it is made here: mode captions the operator typed are not to be dropped.
        registry.OpenKey(kLanguageKeyPath, true);
        WriteTaggedControls(registry, this, kLanguageKeyTag);
        registry.CloseKey();
    } catch (const std::exception& failure) {
        // Values written so far stay; the display keeps its present layout.
        ReportError(FromLatin1(failure.what()));
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
    if (Team2Green->isChecked())
        StatusGrid1->SetTeamColour(2, tcGreen);
    if (Team2Blue->isChecked())
        StatusGrid1->SetTeamColour(2, tcBlue);
    if (Team3Green->isChecked())
        StatusGrid1->SetTeamColour(3, tcGreen);
    if (Team3Blue->isChecked())
        StatusGrid1->SetTeamColour(3, tcBlue);
    if (Team3Yellow->isChecked())
        StatusGrid1->SetTeamColour(3, tcYellow);
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
    const QString path = KeptPath(RunPicker(PictureRequest(FLastPicture)));
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
    const QString path = KeptPath(RunPicker(AudioRequest(Audio_File->text())));
    if (!path.isEmpty())
        Audio_File->setText(path);
}

void TProp_Form::TalkingFolderButtonClick() {
    const QString path = KeptPath(RunPicker(AudioRequest(Talking_Folder->text())));
    if (!path.isEmpty())
        Talking_Folder->setText(FolderOf(path));
}

void TProp_Form::PlayButtonClick() {
    if (Audio_File->text().isEmpty()) {
        ReportError(QStringLiteral("No special event audio is chosen: pick a sound file first."));
        return;
    }
    try {
        MediaPlayer1->SetFileName(ToLatin1(Audio_File->text()));
        MediaPlayer1->Open();
        if (!MediaPlayer1->Play())
            ReportError(
                QStringLiteral("The sound file %1 cannot be played.").arg(Audio_File->text()));
    } catch (const TMediaError& failure) {
        ReportError(FromLatin1(failure.what()));
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
