#pragma once

#include "app/DisplayState.h"
#include "app/FrontDeskSource.h"
#include "core/PackTypes.h"
#include "settings/Properties.h"
#include "settings/SettingValues.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class TFormSpeechHost;
class TGIFImage;
class TListener;
class TMarquee;
class TMediaPlayer;
class TPolygon;
class TMonitorPower;
class TScreenSchedule;
class TSettingsWatcher;
class TSilenceWatch;
class TStateKeeper;
class TStatusGrid;
class TTalkingDownload;
class TWelcome_Form;

// The display: a borderless window that listens to the game controller and shows what it hears.
// Each activation reads every setting and lays the window out as the full screen or as a small
// floating window with the grid alone. Its elements are public, as the dialogs and tests reach
// them by name. The class is one, its concerns in files of their own: creation and elements
// (MainU.cpp), mode and pack status handling (MainModes.cpp), the activation layout
// (MainLayout.cpp), commands, keys and timers (MainCommands.cpp).
class TDownload_Form : public QWidget, public TPropertiesHost, public TFrontDeskSource {
    Q_OBJECT

public:
    static constexpr int kDesignWidth = 620;
    static constexpr int kDesignHeight = 509;

    explicit TDownload_Form(QWidget* parent = nullptr);
    ~TDownload_Form() override;

    // Elements, from the bottom up.
    TGIFImage* back_image = nullptr;
    QLabel* laMode = nullptr; // the mode caption
    QLabel* Total_Packs_Label = nullptr;
    QLabel* Total_Packs_Text = nullptr;
    QLabel* time_left_label = nullptr;
    QLabel* time_to_go = nullptr; // the countdown
    TGIFImage* center_logo = nullptr;
    TPolygon* Polygon = nullptr;
    QWidget* blank_overlay = nullptr; // carries the pop-up menu over the whole window
    TGIFImage* TitleBanner = nullptr;
    QLabel* time_label = nullptr; // the clock
    TStatusGrid* StatusGrid1 = nullptr;
    TMarquee* Scroll_Message = nullptr;

    TMediaPlayer* MediaPlayer1 = nullptr;
    TListener* Listener = nullptr;
    TWelcome_Form* Welcome = nullptr;
    QTimer* clock_timer = nullptr;
    QTimer* Scroll_Timer = nullptr;              // rotates the scroll messages
    QTimer* SpeakTimer = nullptr;                // paces the spoken summaries
    TSettingsWatcher* SettingsWatcher = nullptr; // the settings file, changed on disk
    TSilenceWatch* Silence = nullptr;            // a controller gone quiet, told in a corner
    TScreenSchedule* Schedule = nullptr;         // the opening hours
    QWidget* sleep_cover = nullptr;              // black over everything while closed

    QMenu* PopupMenu1 = nullptr;
    QAction* About = nullptr;
    QAction* Properties = nullptr;
    QAction* Minimise = nullptr;
    QAction* Exit1 = nullptr;

    // What the datagrams have made of the display, which the elements show.
    const TDisplayState& State() const override { return FState; }
    // Seconds into the idle messages' turns: each of the first three shows for kScrollTurn.
    std::int32_t ScrollCount = 0;
    static constexpr std::int32_t kScrollTurn = 30;

    // The settings as the last activation read them (the built-in ones before the first).
    const TSettingValues& Settings() const override { return FSettings; }
    // Whether the window stays above other windows, as "Always On Top" or the floating window
    // asks.
    bool StaysOnTop() const;
    TWindowMode WindowMode() const { return WindowModeOf(FSettings); }

    // Takes the datagrams waiting in the listener, one after the other, and hands each to the
    // handler of its kind; stops after kDatagramBudgetNs so that a flood cannot starve the
    // timers and the paint.
    void SocketMessage();
    static constexpr qint64 kDatagramBudgetNs = 4'000'000;
    void HandleDatagram(std::span<char> datagram);
    void ModeMessage(std::span<const std::string_view> fields);
    void PackStatusMessage(std::span<const std::string_view> fields);

    // Reads every setting and lays the window out; runs at every activation, and when the
    // properties dialog saves.
    void FormActivate() override;
    // How a reading of the settings treats the scroll messages: an activation starts them from
    // "Msg1"; a reading because the stored settings changed keeps the message the mode put up
    // (the thanks, for the whole download) and the rotation as the mode left it.
    enum class TScrollRestart { FromFirst, KeepPhase };
    void ApplySettings(TScrollRestart scroll);
    // The window's style: above other windows, or a normal one.
    void SetStayOnTop(bool onTop) override;

    // Commands, keys and timers.
    void AboutClick();
    void PropertiesClick();
    void MinimiseClick();
    void Exit1Click();
    void FormKeyUp(int key);
    void TimeDblClick();
    void clock_timerTimer();
    void Scroll_TimerTimer();

    // What the front desk sees and asks.
    std::string ScrollText() const override;
    THeardCounts Heard() const override;
    QImage Screenshot() override;
    bool PropertiesOpen() const override { return FPropertiesOpen; }
    void TakeSavedSettings() override { FormActivate(); }

    // What the datagrams decided, kept for a display started again.
    TStateKeeper& Keeper() { return *FKeeper; }

    // The talking download.
    TTalkingDownload& Talking() { return *FTalking; }
    void SpeakStatus(int team, int pack, TPackState state);
    void SpeakDownloadComplete();
    void MediaPlayer1Notify();
    void SpeakTimerTimer();

signals:
    // What the board shows may have changed: datagrams were taken, or the settings read.
    void BoardChanged();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateElements();
    void CreateMenu();
    void CreateTimers();
    void FormCreate();
    void FormClose();

    // Mode handling.
    void ShowModeState();
    void ShowUnless(bool hidden); // the floating window, hidden in some modes as set
    void PlaySpecialAudio();
    void SetScrollMessage(TSettingId message);
    void ShowAndBringToFront();

    // The activation's parts.
    void BringModalToFront();
    void ApplyGridSettings();
    void LayOutFloatingWindow();
    void LayOutFullScreen(TScrollRestart scroll);
    void LayOutScrollMessage(TScrollRestart scroll);
    void LoadPicture(TGIFImage& picture, TSettingId setting);
    void ApplyTalkingSettings();
    void ApplyControllerFilter();
    void RestoreKeptState();
    // Outside the opening hours: black, still and silent, the monitor asleep.
    void SetAsleep(bool asleep);
    void HoldStill();
    void CheckTalkingFolder();
    void ReportOnce(const QString& message);

    // A timer already running runs on: restarting it would push its next tick back, and a
    // controller that repeats a mode faster than the tick would hold it still.
    static void TurnOn(QTimer& timer);

    void PopupMenuAt(QWidget* source, const QPoint& position);
    void OpenProperties(bool fromKey);
    void SettingsFileChanged();
    void TellMissingFiles(const TSettingsEnvironment& environment);

    TSettingValues FSettings;
    bool FSettingsRead = false; // FSettings came from stored settings read whole
    TSettingId FScrollShown = sMsg1;
    TDisplayState FState;
    bool FHideWhenIdle = false; // read only by a floating window layout
    bool FHideWhenGame = false;
    bool FFirstActivation = true;
    bool FActivated = false; // some activation has laid the window out
    bool FShown = false;
    bool FClockFitted = false; // the clock's face is chosen for the time format
    bool FPropertiesOpen = false;
    bool FApplyingSettings = false;
    bool FSettingsChangedMeanwhile = false; // while the properties dialog was open
    std::set<std::string> FToldMissing;     // settings naming files that are not there
    std::set<QString> FReported;            // each problem with the settings is told once
    std::string FReportedControllerAddress;
    std::vector<std::string_view> FFields; // reused: splitting a datagram allocates nothing
    std::unique_ptr<TFormSpeechHost> FSpeechHost;
    std::unique_ptr<TTalkingDownload> FTalking;
    std::unique_ptr<TStateKeeper> FKeeper; // after FState, which it reads to the end
    std::unique_ptr<TMonitorPower> FMonitor;
};
