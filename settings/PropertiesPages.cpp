// The dialog's pages and buttons, and how they are laid out. The controls the generic load and
// save go through are made here, named and tagged after their settings.

#include "settings/Properties.h"

#include "controls/GIFImage.h"
#include "controls/SpinEdit.h"
#include "controls/StatusGrid.h"
#include "settings/ControlTags.h"
#include "settings/SettingsTable.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
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
    if constexpr (std::is_same_v<TControl, QCheckBox>)
        control->setText(QString::fromUtf8(setting.Label));
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

QString LabelOf(TSettingId id) {
    return QString::fromUtf8(SettingDef(id).Label);
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

// The tabs above, the dialog's own buttons below them.
void TProp_Form::CreateControls() {
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
}

void TProp_Form::CreatePages() {
    using enum TSettingPage;
    const auto add = [this](QWidget* page, TSettingPage title) {
        PageControl1->addTab(page, QString::fromUtf8(PageTitle(title)));
    };
    add(CreateModePage(), Mode);
    add(CreateFullScreenPage(), FullScreen);
    add(CreateFloatingWindowPage(), FloatingWindow);
    add(CreateScrollMessagePage(), ScrollMessage);
    add(CreateStatusGridPage(), StatusGrid);
    add(CreateAudioPage(), Audio);
    add(CreateInternationalPage(), International);
    add(CreateNetworkPage(), Network);
    add(CreateOpeningHoursPage(), OpeningHours);
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
    ShowClock = Stored<QCheckBox>(sShowClock, page);
    ClockPosition = Stored<QComboBox>(sClockPosition, page);
    ClockPosition->addItems({QStringLiteral("Top Centre"), QStringLiteral("Top Left"),
                             QStringLiteral("Top Right"), QStringLiteral("Bottom Centre"),
                             QStringLiteral("Bottom Left"), QStringLiteral("Bottom Right")});
    ClockPosition->setAccessibleName(QStringLiteral("Clock position"));
    Polygon = Stored<QCheckBox>(sPolygon, page);
    Show_Total_Packs = Stored<QCheckBox>(sShowTotalPacks, page);

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
    HideWhenGame = Stored<QCheckBox>(sHideWhenGame, page);

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
    grid->addWidget(ShowScrollMsg, 0, 0, 1, 2);
    const auto addMessage = [&](int row, TSettingId id, QLabel*& label, QLineEdit*& edit) {
        edit = Stored<QLineEdit>(id, page);
        label = Caption(LabelOf(id), edit, page);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
    };
    addMessage(1, sMsg1, Msg1Label, Msg1);
    addMessage(2, sMsg2, Msg2Label, Msg2);
    addMessage(3, sMsg3, Msg3Label, Msg3);
    addMessage(4, sMsg4, Msg4Label, Msg4);
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

    // Each team's colours are a group of their own, ticking one unticks only its team's; a
    // button's id is the colour it stands for, so the group reads and sets the team's colour.
    const auto addColour = [&](const char* name, const QString& caption, TTeamColour colour,
                               const QColor& tint, QButtonGroup* team, int row, int column) {
        auto* button = Named<QRadioButton>(name, caption, page);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        Tint(button, tint);
        team->addButton(button, colour);
        colours->addWidget(button, row, column);
        return button;
    };
    Team2Colour = new QButtonGroup(page);
    Team2Green =
        addColour("Team2Green", QStringLiteral("Green"), tcGreen, kLightGreen, Team2Colour, 1, 1);
    Team2Blue =
        addColour("Team2Blue", QStringLiteral("Blue"), tcBlue, kLightBlue, Team2Colour, 1, 2);
    colours->addWidget(Caption(QStringLiteral("Team 2 colour:"), Team2Green, page), 1, 0);
    Team3Colour = new QButtonGroup(page);
    Team3Green =
        addColour("Team3Green", QStringLiteral("Green"), tcGreen, kLightGreen, Team3Colour, 2, 1);
    Team3Blue =
        addColour("Team3Blue", QStringLiteral("Blue"), tcBlue, kLightBlue, Team3Colour, 2, 2);
    Team3Yellow = addColour("Team3Yellow", QStringLiteral("Yellow"), tcYellow, kLightYellow,
                            Team3Colour, 2, 3);
    colours->addWidget(Caption(QStringLiteral("Team 3 colour:"), Team3Green, page), 2, 0);
    // The colour choices side by side in cells of one width, the tints filling them.
    int cell = Team1Panel->sizeHint().width();
    for (const QButtonGroup* team : {Team2Colour, Team3Colour})
        for (const QAbstractButton* colour : team->buttons())
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
    const auto addBox = [&](TSettingId id) {
        auto* box = Stored<QCheckBox>(id, page);
        boxes->addWidget(box);
        return box;
    };
    ShowTeamTotals = addBox(sShowTeamTotals);
    ShowOverallTotals = addBox(sShowOverallTotals);
    ShowCaptions = addBox(sShowCaptions);
    ShowLittleNumbers = addBox(sShowLittleNumbers);
    ShowBars = addBox(sShowBars);
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
    const auto addText = [&](TSettingId id) {
        auto* edit = Stored<QLineEdit>(id, page);
        grid->addWidget(Caption(LabelOf(id), edit, page), row, 0);
        grid->addWidget(edit, row++, 1);
        return edit;
    };
    Playing_Game = addText(sPlayingGame);
    Idle = addText(sIdle);
    Download_Packs = addText(sDownloadPacks);
    Calculating = addText(sCalculating);
    Text_Played = addText(sTextPlayed);
    Text_Downloaded = addText(sTextDownloaded);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* TProp_Form::CreateNetworkPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    No_Signal_Minutes = Stored<TSpinEdit>(sNoSignalMinutes, page);
    Web_Port = Stored<TSpinEdit>(sWebPort, page);
    Web_Address = Stored<QLineEdit>(sWebAddress, page);
    WebBoardAddress = new QLabel(page);
    WebBoardAddress->setObjectName(QStringLiteral("WebBoardAddress"));
    WebBoardAddress->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(Caption(LabelOf(sNoSignalMinutes), No_Signal_Minutes, page), 0, 0);
    grid->addLayout(Row({No_Signal_Minutes}), 0, 1);
    grid->addWidget(Caption(LabelOf(sWebPort), Web_Port, page), 1, 0);
    grid->addLayout(Row({Web_Port}), 1, 1);
    grid->addWidget(Caption(LabelOf(sWebAddress), Web_Address, page), 2, 0);
    grid->addWidget(Web_Address, 2, 1);
    grid->addWidget(WebBoardAddress, 3, 0, 1, 2);
    auto* note = new QLabel(
        QStringLiteral("The front desk's pages are plain HTTP, for the arena's own network. Its "
                       "settings page opens once a password is set with "
                       "\"tallivue --set-web-password\"."),
        page);
    note->setWordWrap(true);
    grid->addWidget(note, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget* TProp_Form::CreateOpeningHoursPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    Opening_Hours = Stored<QCheckBox>(sOpeningHours, page);
    grid->addWidget(Opening_Hours, 0, 0, 1, 2);
    for (std::size_t day = 0; day < Hours.size(); ++day) {
        const auto id = static_cast<TSettingId>(sHoursMonday + day);
        Hours[day] = Stored<QLineEdit>(id, page);
        Hours[day]->setPlaceholderText(QStringLiteral("closed"));
        const int row = static_cast<int>(day) + 1;
        grid->addWidget(Caption(LabelOf(id), Hours[day], page), row, 0);
        grid->addWidget(Hours[day], row, 1);
    }
    auto* note = new QLabel(
        QStringLiteral("Hours as 10:00-22:00; a closing time before the opening runs past "
                       "midnight (18:00-02:00), 00:00-24:00 is the whole day, and an empty field "
                       "a closed day. Outside the hours the screen goes black and the monitor is "
                       "asked to sleep. A game or a download wakes it until half an hour after "
                       "the last; a key or the mouse for ten minutes."),
        page);
    note->setWordWrap(true);
    grid->addWidget(note, 8, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(9, 1);
    return page;
}
