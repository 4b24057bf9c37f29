// The display window's creation, its elements in their design look, and the plumbing that
// turns Qt's events into the window's handlers.

#include "app/MainU.h"

#include "app/DisplayRules.h"
#include "app/FormSpeechHost.h"
#include "app/Listener.h"
#include "app/MonitorPower.h"
#include "app/Protocol.h"
#include "app/ScreenSchedule.h"
#include "app/SettingsWatcher.h"
#include "app/SilenceWatch.h"
#include "app/StateKeeper.h"
#include "app/TalkingDownload.h"
#include "controls/GIFImage.h"
#include "controls/Marquee.h"
#include "controls/MediaPlayer.h"
#include "controls/Polygon.h"
#include "controls/StatusGrid.h"
#include "core/QtText.h"
#include "settings/Platform.h"
#include "settings/Welcome.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QTimer>

namespace {

struct TLabelLook {
    QStringList Families;
    int PixelSize; // the character height
    QFont::Weight Weight;
    QColor Colour;
};

// A label of the design: its text centred unless said otherwise, transparent, so that the
// background picture shows around its letters. Its text is shown as it stands: the captions come
// from the settings and the controller, and a text that looked like HTML would otherwise be taken
// for it, down to fetching the pictures it names (an endless /dev/zero among them).
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& place,
                  const TLabelLook& look,
                  Qt::Alignment alignment = Qt::AlignHCenter | Qt::AlignTop) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment);
    QFont font;
    font.setFamilies(look.Families);
    font.setPixelSize(look.PixelSize);
    font.setWeight(look.Weight);
    label->setFont(font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, look.Colour);
    label->setPalette(colours);
    return label;
}

// Debian has no "Arial Black": Roboto Black is the closest heavy face it has, so the countdown
// still reads as a heavy line.
const QStringList kArial{QStringLiteral("Arial")};
const QStringList kCourierNew{QStringLiteral("Courier New")};
const QStringList kArialBlack{QStringLiteral("Arial Black"), QStringLiteral("Roboto")};

} // namespace

TDownload_Form::TDownload_Form(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      FSettings(DefaultSettingValues(PlatformSettingsEnvironment())) {
    FState.Configure(FSettings);
    setWindowTitle(QString::fromLatin1(kProgramTitle.data(), kProgramTitle.size()));
    resize(kDesignWidth, kDesignHeight);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus); // F1 and F5 come to the window itself

    CreateElements();
    CreateMenu();
    CreateTimers();

    MediaPlayer1 = new TMediaPlayer(this);
    MediaPlayer1->OnNotify = [this] {
        MediaPlayer1Notify();
    };
    FSpeechHost = std::make_unique<TFormSpeechHost>(*this);
    FTalking = std::make_unique<TTalkingDownload>(*FSpeechHost, *MediaPlayer1);
    ApplyTalkingSettings();

    FKeeper = std::make_unique<TStateKeeper>(FState, StateFilePath());
    Listener = new TListener(this);
    connect(Listener, &TListener::Readable, this, &TDownload_Form::SocketMessage);
    Silence = new TSilenceWatch(*this, *Listener);
    sleep_cover = new QWidget(this);
    sleep_cover->setObjectName(QStringLiteral("sleep_cover"));
    sleep_cover->setPalette(black);
    sleep_cover->setAutoFillBackground(true);
    sleep_cover->setMouseTracking(true); // a mouse moved without a button wakes it too
    sleep_cover->hide();
    FMonitor = std::make_unique<TMonitorPower>();
    Schedule = new TScreenSchedule([this](bool asleep) { SetAsleep(asleep); }, this);
    FFields.reserve(kMaxDatagramBytes); // one field per byte at the most
    FormCreate();

    // The about box comes up at start-up over the display, and hides itself unless noticed.
    Welcome = new TWelcome_Form(this);
}

TDownload_Form::~TDownload_Form() = default;

void TDownload_Form::CreateElements() {
    back_image = new TGIFImage(this);
    back_image->setObjectName(QStringLiteral("back_image"));
    back_image->SetStretch(true);
    back_image->setGeometry(0, 0, kDesignWidth, kDesignHeight);

    laMode = MakeLabel(this, "laMode", FromUtf8(FState.ModeCaption()), {0, 256, kDesignWidth, 64},
                       {kArial, 48, QFont::Bold, Qt::red});
    laMode->setToolTip(QStringLiteral("The mode Game Control Centre reports"));
    Total_Packs_Label = MakeLabel(this, "Total_Packs_Label", QStringLiteral("0"),
                                  {264, 376, 72, 17}, {kCourierNew, 16, QFont::Bold, Qt::white});
    Total_Packs_Text = MakeLabel(this, "Total_Packs_Text", QStringLiteral("Packs"),
                                 {264, 392, 72, 25}, {kArial, 16, QFont::Bold, Qt::white});
    Total_Packs_Text->setToolTip(QStringLiteral("Shows the Total Packs your site has Scanned"));
    time_left_label = MakeLabel(this, "time_left_label", QStringLiteral("Time remaining"),
                                {0, 344, kDesignWidth, 22}, {kArial, 19, QFont::Bold, Qt::yellow});
    time_left_label->hide();
    time_to_go = MakeLabel(this, "time_to_go", QStringLiteral("00:00"), {0, 296, kDesignWidth, 49},
                           {kArialBlack, 32, QFont::Black, Qt::yellow});
    time_to_go->hide();

    center_logo = new TGIFImage(this);
    center_logo->setObjectName(QStringLiteral("center_logo"));
    center_logo->SetAutoSize(true);
    center_logo->SetCenter(true);
    center_logo->setGeometry(0, 184, kDesignWidth, 89);

    // Transparent and above the drawn elements: a right click anywhere it covers is its own.
    blank_overlay = new QWidget(this);
    blank_overlay->setObjectName(QStringLiteral("blank_overlay"));
    blank_overlay->setGeometry(0, 0, kDesignWidth, kDesignHeight);

    // Above the overlay, which paints nothing: under it each of the polygon's ten frames a
    // second would have Qt repaint everything beneath that corner, the overlay over it. The
    // menu still opens over it wherever the overlay would open it.
    Polygon = new TPolygon(this);
    Polygon->setObjectName(QStringLiteral("Polygon"));
    Polygon->setGeometry(570, 10, 50, 73);
    Polygon->SetLineColor(Qt::yellow);
    Polygon->SetBackColor(Qt::black);
    Polygon->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Polygon, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        if (!blank_overlay->isHidden())
            PopupMenuAt(Polygon, position);
    });

    TitleBanner = new TGIFImage(this);
    TitleBanner->setObjectName(QStringLiteral("TitleBanner"));
    TitleBanner->SetAutoSize(true);
    TitleBanner->SetCenter(true);
    TitleBanner->setGeometry(0, 5, kDesignWidth, 76);

    time_label = MakeLabel(this, "time_label", QString(), {0, 0, 153, 36},
                           {kCourierNew, 32, QFont::Bold, Qt::white}, Qt::AlignLeft | Qt::AlignTop);
    time_label->hide();

    StatusGrid1 = new TStatusGrid(this);
    StatusGrid1->setObjectName(QStringLiteral("StatusGrid1"));
    StatusGrid1->setGeometry(0, 80, 592, 120);
    StatusGrid1->SetPacksPerTeam(6);
    StatusGrid1->SetBorderSize(12);
    StatusGrid1->SetBoxSize(24);
    StatusGrid1->SetDownloadedCaption("Downloaded");
    StatusGrid1->SetPlayedCaption("Played");

    Scroll_Message = new TMarquee(this);
    Scroll_Message->setObjectName(QStringLiteral("Scroll_Message"));
    Scroll_Message->setGeometry(0, 440, kDesignWidth, 57);
    Scroll_Message->SetAutoCenter(true);
    Scroll_Message->SetAutoSizeHeight(true);
    Scroll_Message->SetBorderStyle(bsNone);
    Scroll_Message->SetColor(Qt::black);
    QFont messageFont(kArial.front());
    messageFont.setPixelSize(48);
    Scroll_Message->setFont(messageFont);
    Scroll_Message->SetFontColor(Qt::white);
    Scroll_Message->SetNewControlCode(' ');
    Scroll_Message->SetScrollAmount(5);
    Scroll_Message->SetScrollDelay(50);
    Scroll_Message->SetScrollStyle(ssScroll);
    Scroll_Message->SetScrollText(" ... ");

    for (QWidget* carrier :
         {static_cast<QWidget*>(blank_overlay), static_cast<QWidget*>(TitleBanner),
          static_cast<QWidget*>(time_label)}) {
        carrier->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(carrier, &QWidget::customContextMenuRequested, this,
                [this, carrier](const QPoint& position) { PopupMenuAt(carrier, position); });
    }
    TitleBanner->installEventFilter(this);
    time_label->installEventFilter(this);
}

void TDownload_Form::CreateMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    About = PopupMenu1->addAction(QStringLiteral("&About"), this, &TDownload_Form::AboutClick);
    Properties =
        PopupMenu1->addAction(QStringLiteral("Properties"), this, &TDownload_Form::PropertiesClick);
    Minimise =
        PopupMenu1->addAction(QStringLiteral("Mi&nimise"), this, &TDownload_Form::MinimiseClick);
    Exit1 = PopupMenu1->addAction(QStringLiteral("E&xit"), this, &TDownload_Form::Exit1Click);
}

void TDownload_Form::CreateTimers() {
    clock_timer = new QTimer(this);
    clock_timer->setInterval(1000);
    connect(clock_timer, &QTimer::timeout, this, &TDownload_Form::clock_timerTimer);
    clock_timer->start();
    Scroll_Timer = new QTimer(this);
    Scroll_Timer->setInterval(1000);
    connect(Scroll_Timer, &QTimer::timeout, this, &TDownload_Form::Scroll_TimerTimer);
    SpeakTimer = new QTimer(this);
    SpeakTimer->setInterval(TTalkingDownload::kSpeakInterval);
    connect(SpeakTimer, &QTimer::timeout, this, &TDownload_Form::SpeakTimerTimer);
    SettingsWatcher = new TSettingsWatcher(this);
    connect(SettingsWatcher, &TSettingsWatcher::Changed, this,
            &TDownload_Form::SettingsFileChanged);
}

void TDownload_Form::FormCreate() {
    Listener->Open();
}

void TDownload_Form::SocketMessage() {
    // Under a flood, a turn of the event loop (and a repaint) for every datagram would cost far
    // more than the datagram itself. So what waits is taken, in order, each handled to the end,
    // for a few milliseconds at most: the timers and the paint still come round in time.
    QElapsedTimer spent;
    spent.start();
    bool taken = false;
    do {
        const std::uint64_t before = Listener->Received();
        HandleDatagram(Listener->Receive());
        if (Listener->Received() == before)
            break; // nothing waited
        taken = true;
    } while (Listener->Armed() && spent.nsecsElapsed() < kDatagramBudgetNs);
    if (taken) {
        Silence->Taken();
        FKeeper->Changed();
        emit BoardChanged();
    }
}

void TDownload_Form::HandleDatagram(std::span<char> datagram) {
    SplitFields(datagram, FFields);
    switch (ClassifyMessage(FFields)) {
    case TMessageKind::PackStatus:
        PackStatusMessage(FFields);
        break;
    case TMessageKind::Mode:
        ModeMessage(FFields);
        break;
    case TMessageKind::Ignored:
        break;
    }
}

bool TDownload_Form::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QWidget::event(event);
}

void TDownload_Form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    // A kiosk's X server without a window manager activates nothing by itself: the window asks
    // for the keyboard, which X grants, and lays itself out at once should no activation come.
    activateWindow();
    QTimer::singleShot(0, this, [this] {
        if (!FActivated)
            FormActivate();
    });
}

void TDownload_Form::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The mode caption and the countdown span the window, whatever its width.
    for (QLabel* label : {laMode, time_to_go, time_left_label})
        label->resize(width(), label->height());
    sleep_cover->resize(size());
}

bool TDownload_Form::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        (watched == TitleBanner || watched == time_label)) {
        TimeDblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TDownload_Form::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat())
        FormKeyUp(event->key());
    QWidget::keyReleaseEvent(event);
}

void TDownload_Form::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}
