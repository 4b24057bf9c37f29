#pragma once

// The sound mixer (SDL_mixer 2.6) trusts some fields of a sound file's header that a damaged or
// hostile file may fill with anything: a WAV or AIFF file that declares no channels (or a
// multiple of 256, which it keeps in one byte) makes it divide by zero, one that declares tens
// of millions of samples a second overflows its converter's sizes, and a WAV file whose
// loop points run past their chunk, or whose list of tags holds one without an end, makes it
// read beyond its memory, and its reader of Creative Voice files writes beyond it. Any of these
// may end the whole display. Such a file is refused here before the mixer sees it.

#include <cstdint>
#include <functional>
#include <string>

// `length` bytes of the file from `offset`, or fewer where the file ends.
using TReadSoundBytes = std::function<std::string(std::uint64_t offset, std::size_t length)>;

// Why the mixer must not be given this file, in words for the user ("it is damaged: it declares
// 0 sound channels"); empty when nothing in its header would harm it. Reads only the headers of
// the file's parts, and lists of tags, however long the file is.
std::string SoundHeaderProblem(std::uint64_t size, const TReadSoundBytes& read);
