#include "app/MediaPlayer.h"

#include <QThread>

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace {

// SDL_mixer reports the end of a sound on its audio thread, through callbacks that know only a
// channel. The players are found here and told through a queued call, so that every completion
// is handled on the player's own thread. Only the GUI thread changes this registry, under the
// lock, which the audio thread takes to read it; the GUI thread reads it without. The lock is
// never held while calling into the mixer: its callbacks take it while the mixer holds its own.
struct TAudio {
    std::mutex Guard;
    std::map<int, TMediaPlayer*> Channels; // channel -> player
    TMediaPlayer* MusicOwner = nullptr;
    bool Open = false;
};

// Never destroyed: SDL's audio thread may still be running while the program's statics go.
TAudio& Audio() {
    static TAudio* const audio = new TAudio;
    return *audio;
}

void PostCompleted(TMediaPlayer* player) {
    if (player)
        QMetaObject::invokeMethod(player, "Completed", Qt::QueuedConnection);
}

void ChannelFinished(int channel) {
    const std::lock_guard lock(Audio().Guard);
    const auto found = Audio().Channels.find(channel);
    PostCompleted(found == Audio().Channels.end() ? nullptr : found->second);
}

void MusicFinished() {
    const std::lock_guard lock(Audio().Guard);
    PostCompleted(Audio().MusicOwner);
}

// Opens the audio device once; a failure leaves it closed so that the next open tries again
// (a sound card may be plugged in, or the sound server started, meanwhile).
void EnsureAudio() {
    if (Audio().Open)
        return;
    // SDL would otherwise take over SIGINT and SIGTERM, and a display that a kiosk's service
    // manager or an operator's Ctrl-C asks to stop would carry on.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
        Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        const std::string error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        throw TMediaError("No sound can be played: the sound device cannot be opened (" + error +
                          ").");
    }
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID);
    Mix_ChannelFinished(ChannelFinished);
    Mix_HookMusicFinished(MusicFinished);
    Audio().Open = true;
}

bool IsMidi(const std::string& fileName) {
    std::string extension = fileName.substr(std::min(fileName.size(), fileName.rfind('.')));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".mid" || extension == ".midi";
}

} // namespace

TMediaPlayer::TMediaPlayer(QObject* parent) : QObject(parent) {}

TMediaPlayer::~TMediaPlayer() {
    Close();
    const std::lock_guard lock(Audio().Guard);
    if (FChannel >= 0)
        Audio().Channels.erase(FChannel);
    if (Audio().MusicOwner == this)
        Audio().MusicOwner = nullptr;
}

void TMediaPlayer::Open() {
    Close();
    EnsureAudio();
    if (FChannel < 0) {
        // A channel of its own, so that another player's sound never cuts this one short.
        int channel = 0;
        while (Audio().Channels.count(channel))
            ++channel;
        {
            const std::lock_guard lock(Audio().Guard);
            Audio().Channels[channel] = this;
        }
        if (Mix_AllocateChannels(-1) <= channel)
            Mix_AllocateChannels(channel + 1);
        FChannel = channel;
    }
    if (!IsMidi(FFileName))
        FChunk = Mix_LoadWAV(FFileName.c_str());
    if (!FChunk)
        FMusic = Mix_LoadMUS(FFileName.c_str());
    if (!IsOpen())
        throw TMediaError("The sound file " + FFileName + " cannot be opened: " + SDL_GetError());
}

bool TMediaPlayer::Play() {
    const bool wait = FWait;
    FNotify = FWait = false;
    if (FChunk) {
        if (Mix_PlayChannel(FChannel, FChunk, 0) < 0)
            return false;
    } else if (FMusic) {
        // The music stream is shared: its present owner hears that its sound was stopped.
        if (Audio().MusicOwner && Audio().MusicOwner != this)
            Mix_HaltMusic();
        {
            const std::lock_guard lock(Audio().Guard);
            Audio().MusicOwner = this;
        }
        if (Mix_PlayMusic(FMusic, 0) != 0)
            return false;
    } else {
        return false;
    }
    while (wait && Playing())
        QThread::msleep(5);
    return true;
}

bool TMediaPlayer::Playing() const {
    if (FChunk)
        return Mix_Playing(FChannel) != 0;
    if (FMusic)
        return Audio().MusicOwner == this && Mix_PlayingMusic() != 0;
    return false;
}

void TMediaPlayer::Close() {
    if (FChunk) {
        Mix_HaltChannel(FChannel); // reports the stopped sound
        Mix_FreeChunk(FChunk);
        FChunk = nullptr;
    }
    if (FMusic) {
        if (Audio().MusicOwner == this)
            Mix_HaltMusic();
        Mix_FreeMusic(FMusic);
        FMusic = nullptr;
    }
}

void TMediaPlayer::Completed() {
    if (OnNotify)
        OnNotify();
}
