#include "controls/MediaPlayer.h"

#include "controls/SoundHeader.h"
#include "core/QtText.h"

#include <QFile>
#include <QFileInfo>

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
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

// Decoding a whole file into memory costs time in proportion to its length, on the display's
// thread: past these sizes a sound is streamed from the disk as it plays instead (on the one
// music stream, which it then shares with MIDI). Measured on the development machine: WAV data
// that must be resampled costs some 35 ms a megabyte, MP3 some 40 ms a megabyte, so neither
// takes more than about 3 ms.
constexpr std::uintmax_t kWholeWavBytes = 128 << 10;
constexpr std::uintmax_t kWholeCompressedBytes = 64 << 10;

bool IsMidi(const std::string& fileName) {
    std::string extension = fileName.substr(std::min(fileName.size(), fileName.rfind('.')));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".mid" || extension == ".midi";
}

bool IsWav(QFile& file) {
    char header[12];
    return file.read(header, sizeof header) == sizeof header &&
           std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "WAVE", 4) == 0;
}

// Whether the file is short enough to decode whole when it is opened.
bool DecodeWhole(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return true; // the loader says why it cannot be read
    const auto size = static_cast<std::uintmax_t>(file.size());
    return size <= (IsWav(file) ? kWholeWavBytes : kWholeCompressedBytes);
}

// Why the mixer must not be given the file, or nothing; a file that cannot be read is left to
// the loaders, which say why.
std::string HeaderProblem(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return SoundHeaderProblem(static_cast<std::uint64_t>(file.size()),
                              [&file](std::uint64_t offset, std::size_t length) {
                                  if (!file.seek(static_cast<qint64>(offset)))
                                      return std::string();
                                  return file.read(static_cast<qint64>(length)).toStdString();
                              });
}

// A file name as SDL opens it: on Windows always UTF-8, which it turns into the system's own
// wide characters; elsewhere in the file system's encoding.
QByteArray SdlFileName(const QString& fileName) {
#ifdef _WIN32
    return fileName.toUtf8();
#else
    return QFile::encodeName(fileName);
#endif
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
    const QString name = FromUtf8(FFileName);
    // The decoders read on while they find no sound in the bytes: a device such as /dev/zero
    // would hold the display for many seconds, and a pipe might never answer.
    const QFileInfo info(name);
    if (info.exists() && !info.isFile())
        throw TMediaError("The sound file " + FFileName +
                          " cannot be opened: it is a folder, a device or a pipe, not a file.");
    const QByteArray path = SdlFileName(name);
    if (const std::string problem = HeaderProblem(name); !problem.empty())
        throw TMediaError("The sound file " + FFileName + " cannot be opened: " + problem + ".");
    // SDL keeps its last error until another replaces it: each loader starts from none, so
    // that the same file always fails with the same words.
    std::string error;
    if (!IsMidi(FFileName) && DecodeWhole(name)) {
        SDL_ClearError();
        FChunk = Mix_LoadWAV(path.constData());
        error = SDL_GetError();
    }
    if (!FChunk) {
        SDL_ClearError();
        FMusic = Mix_LoadMUS(path.constData());
        if (*SDL_GetError())
            error = SDL_GetError();
    }
    if (!IsOpen())
        throw TMediaError("The sound file " + FFileName + " cannot be opened: " +
                          (error.empty() ? std::string("it is not a sound SDL knows") : error));
}

bool TMediaPlayer::SoundFileExists(const std::string& fileName) const {
    return QFileInfo(FromUtf8(fileName)).isFile();
}

bool TMediaPlayer::Play() {
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
