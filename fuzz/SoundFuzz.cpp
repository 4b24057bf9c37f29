// The sounds the settings name, as any file may be named: whatever its bytes, opening it either
// succeeds or fails with a message naming it, and never takes the display with it. The mixer's
// decoders are system libraries built without coverage, so libFuzzer mutates the seeds blindly
// within them; a crash there is still a finding, for the header checks before them.

#include "FuzzCheck.h"
#include "controls/MediaPlayer.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

std::filesystem::path Folder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!qEnvironmentVariableIsSet("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    static int argc = 1;
    static char name[] = "sound_fuzz";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    std::string folder = (std::filesystem::temp_directory_path() / "sound_fuzz-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        std::abort();
    Folder = folder;
    std::atexit([] { std::filesystem::remove_all(Folder); });
    return 0;
}

// Input: the first byte picks the extension, which decides how the player opens the file; the
// rest is the file. MIDI files are left out: FluidSynth, which reads them, takes a quarter of a
// second to start for each under the sanitizers.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (size < 1 || bytes.substr(1).starts_with("MThd") ||
        (size >= 13 && bytes.substr(9, 4) == "RMID"))
        return 0;
    static const char* const kExtensions[] = {"wav", "mp3", "ogg"};
    const std::string file = (Folder / (std::string("sound.") + kExtensions[data[0] % 3])).string();
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data) + 1, static_cast<std::streamsize>(size - 1));

    TMediaPlayer player;
    player.SetFileName(file);
    try {
        player.Open();
        FUZZ_CHECK(player.IsOpen());
    } catch (const TMediaError& failure) {
        FUZZ_CHECK(std::string(failure.what()).find(file) != std::string::npos);
        FUZZ_CHECK(!player.IsOpen());
    }
    player.Close();
    return 0;
}
