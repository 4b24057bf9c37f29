#pragma once

#include "controls/PackTypes.h"

#include <QWidget>

#include <memory>
#include <span>
#include <string_view>
#include <vector>

class QLabel;
class QTimer;
class TFormSpeechHost;
class TListener;
class TMediaPlayer;
class TStatusGrid;
class TTalkingDownload;

// The display: a black borderless window that listens to the game controller and shows what
// it hears. Its elements are public, as the dialogs and tests reach them by name.
class TDownload_Form : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDesignWidth = 620;
    static constexpr int kDesignHeight = 509;

    explicit TDownload_Form(QWidget* parent = nullptr);
    ~TDownload_Form() override;

    TStatusGrid* StatusGrid1 = nullptr;
    TListener* Listener = nullptr;
    // The mode caption; its text is the display's mode.
    QLabel* laMode = nullptr;
    TMediaPlayer* MediaPlayer1 = nullptr;
    QTimer* SpeakTimer = nullptr; // paces the spoken summaries

    // Takes one datagram from the listener and hands it to the handler of its kind.
    void SocketMessage();

    // The talking download, for the mode and pack status handling to call.
    TTalkingDownload& Talking() { return *FTalking; }
    void SpeakStatus(int team, int pack, TPackState state);
    void SpeakDownloadComplete();
    void MediaPlayer1Notify();
    void SpeakTimerTimer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void PackStatusMessage(std::span<const std::string_view> fields);

    std::vector<std::string_view> FFields; // reused: splitting a datagram allocates nothing
    std::unique_ptr<TFormSpeechHost> FSpeechHost;
    std::unique_ptr<TTalkingDownload> FTalking;
};
