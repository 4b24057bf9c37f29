#include "app/MainU.h"

#include "app/FormSpeechHost.h"
#include "app/Listener.h"
#include "app/MediaPlayer.h"
#include "app/Protocol.h"
#include "app/TalkingDownload.h"
#include "controls/StatusGrid.h"
#include "settings/Platform.h"
#include "settings/SettingsTable.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPalette>
#include <QTimer>

TDownload_Form::TDownload_Form(QWidget* parent) : QWidget(parent, Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Tallivue"));
    resize(kDesignWidth, kDesignHeight);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    StatusGrid1 = new TStatusGrid(this);
    StatusGrid1->setObjectName(QStringLiteral("StatusGrid1"));
    StatusGrid1->setGeometry(0, 80, 592, 120);
    StatusGrid1->SetPacksPerTeam(6);
    StatusGrid1->SetShowCaptions(false);
    StatusGrid1->SetShowLittleNumbers(false);
    StatusGrid1->SetShowBars(false);
    StatusGrid1->SetShowOverallTotals(true);
    StatusGrid1->SetShowTeamTotals(true);
    StatusGrid1->SetDownloadedCaption("Downloaded");
    StatusGrid1->SetPlayedCaption("Played");

    laMode = new QLabel(QStringLiteral("Offline"), this);
    laMode->setObjectName(QStringLiteral("laMode"));
    laMode->setGeometry(0, 256, kDesignWidth, 64);
    laMode->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont modeFont(QStringLiteral("Arial"));
    modeFont.setBold(true);
    modeFont.setPixelSize(48);
    laMode->setFont(modeFont);
    laMode->setStyleSheet(QStringLiteral("color: red; background: transparent"));
    laMode->setToolTip(QStringLiteral("Game Control Centre's mode"));

    MediaPlayer1 = new TMediaPlayer(this);
    MediaPlayer1->OnNotify = [this] {
        MediaPlayer1Notify();
    };
    SpeakTimer = new QTimer(this);
    SpeakTimer->setInterval(TTalkingDownload::kSpeakInterval);
    connect(SpeakTimer, &QTimer::timeout, this, &TDownload_Form::SpeakTimerTimer);
    FSpeechHost = std::make_unique<TFormSpeechHost>(*this);
    FTalking = std::make_unique<TTalkingDownload>(*FSpeechHost, *MediaPlayer1);
    // Until the settings are read at the first activation, the built-in ones.
    TTalkingSettings talking;
    talking.TalkingFolder = std::get<std::string>(ResolveDefault(SettingDef(sTalkingFolder),
                                                                 SettingDef(sTalkingFolder).Default,
                                                                 PlatformSettingsEnvironment()));
    FTalking->SetSettings(talking);

    Listener = new TListener(this);
    connect(Listener, &TListener::Readable, this, &TDownload_Form::SocketMessage);
    FFields.reserve(kMaxDatagramBytes); // one field per byte at the most
    FormCreate();
}

TDownload_Form::~TDownload_Form() = default;

void TDownload_Form::FormCreate() {
    Listener->Open();
}

void TDownload_Form::FormClose() {
    Listener->Close();
    SpeakTimer->stop();
    MediaPlayer1->Close();
}

void TDownload_Form::SpeakStatus(int team, int pack, TPackState state) {
    FTalking->SpeakStatus(team, pack, state);
}

void TDownload_Form::SpeakDownloadComplete() {
    FTalking->SpeakDownloadComplete();
}

void TDownload_Form::MediaPlayer1Notify() {
    FTalking->MediaPlayer1Notify();
}

void TDownload_Form::SpeakTimerTimer() {
    FTalking->SpeakTimerTimer();
}

void TDownload_Form::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TDownload_Form::SocketMessage() {
    SplitFields(Listener->Receive(), FFields);
    switch (ClassifyMessage(FFields)) {
    case TMessageKind::PackStatus:
        PackStatusMessage(FFields);
        break;
    case TMessageKind::Mode: // the display's modes are not shown yet
    case TMessageKind::Ignored:
        break;
    }
}

void TDownload_Form::PackStatusMessage(std::span<const std::string_view> fields) {
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const TPackEntry entry = DecodePackEntry(i, fields[i]);
        StatusGrid1->SetPackState(entry.Team, entry.Pack, entry.State);
        // The grid grows to show a pack in use beyond it, but only as far as it holds states.
        if (entry.State != psNotInUse && entry.Pack > StatusGrid1->PacksPerTeam() &&
            entry.Pack <= kMaxPacksPerTeam) {
            StatusGrid1->SetPacksPerTeam(entry.Pack);
            StatusGrid1->SetWidth(width());
        }
    }
}
