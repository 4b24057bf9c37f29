#pragma once

#include "controls/SoundPlayer.h"

#include <QObject>

// The library's own declarations: the name behind Mix_Music changed between SDL2_mixer 2.6 and 2.8.
#include <SDL_mixer.h>

#include <functional>
#include <string>

// Plays sound files through SDL2_mixer: short .wav and .mp3 files, decoded whole when opened,
// on a mixer channel of the player's own, so several players sound at once; long ones, and .mid
// and .midi, streamed on the mixer's one music stream, so that opening never takes long. The audio
// device is opened at the first open, and again at a later one if that failed. Every play
// that started is reported once through OnNotify, on the thread the player lives on, when it
// ends or is stopped.
class TMediaPlayer : public QObject, public TSoundPlayer {
    Q_OBJECT

public:
    explicit TMediaPlayer(QObject* parent = nullptr);
    ~TMediaPlayer() override;

    const std::string& FileName() const { return FFileName; }
    bool SoundFileExists(const std::string& fileName) const override;
    void SetFileName(const std::string& fileName) override { FFileName = fileName; }
    void Open() override;
    bool Play() override;
    void Close() override;

    bool IsOpen() const { return FChunk || FMusic; }
    bool Playing() const;

    std::function<void()> OnNotify;

private slots:
    void Completed();

private:
    std::string FFileName;
    Mix_Chunk* FChunk = nullptr;
    Mix_Music* FMusic = nullptr;
    int FChannel = -1;
};
