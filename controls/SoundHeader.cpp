#include "controls/SoundHeader.h"

#include <string_view>

namespace {

// A file of more parts than this is no sound anyone recorded: walking them all could take long.
constexpr int kMaxParts = 10000;
// Titles and names, read whole by the mixer; a list longer than this holds something else.
constexpr std::uint32_t kMaxTagList = 1 << 20;

std::uint32_t Little(std::string_view bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint32_t Big(std::string_view bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::string ChannelProblem(std::uint32_t channels) {
    if ((channels & 0xFF) != 0)
        return {};
    return "it is damaged: it declares " + std::to_string(channels) + " sound channels";
}

// Far above any recording's rate (the highest in use are 768000 a second); from some ten million
// on, the mixer's converter overflows its sizes and fails with "Out of memory".
constexpr std::uint32_t kMaxSampleRate = 1 << 20;

std::string RateProblem(std::uint32_t rate) {
    if (rate <= kMaxSampleRate)
        return {};
    return "it is damaged: it declares " + std::to_string(rate) + " samples a second";
}

// The mixer's streaming reader looks for four tags anywhere in an "INFO" list, not only where
// the list's entries begin, and reads the length after each and the text after that as far as
// its first zero byte, wherever that is. Followed here step by step, so that it never reads
// beyond the list.
std::string TagListProblem(std::string_view list) {
    if (list.size() < 4)
        return "it is damaged: its list of tags is cut short";
    if (!list.starts_with("INFO"))
        return {};
    for (std::size_t i = 4; i + 4 < list.size();) {
        const std::string_view tag = list.substr(i, 4);
        if (tag != "INAM" && tag != "IART" && tag != "IALB" && tag != "BCPR") {
            ++i;
            continue;
        }
        i += 4;
        if (i + 4 > list.size())
            return "it is damaged: its list of tags is cut short";
        const std::uint32_t length = Little(list, i, 4);
        if (length > list.size())
            continue; // the mixer passes over a tag this long
        i += 4;
        if (i >= list.size() || list.find('\0', i) == list.npos)
            return "it is damaged: a tag in its list runs past the list";
        i += length;
    }
    return {};
}

// The parts ("chunks") of a RIFF file, each an identifier, a little-endian length and its data.
// The mixer's streaming reader steps from one to the next by the length alone and stops at a
// length of 0; the RIFF rules, which its whole-file reader follows, pad odd lengths to even.
// Both ways are walked, so that neither finds a part the other missed.
std::string WaveProblem(std::uint64_t size, const TReadSoundBytes& read) {
    for (const bool padded : {false, true}) {
        std::uint64_t offset = 12;
        for (int parts = 0; offset + 8 <= size; ++parts) {
            if (parts == kMaxParts)
                return "it is damaged: it holds more than " + std::to_string(kMaxParts) + " parts";
            const std::string header = read(offset, 8);
            if (header.size() < 8)
                break;
            const std::string_view id = std::string_view(header).substr(0, 4);
            const std::uint32_t length = Little(header, 4, 4);
            if (length == 0 && !padded)
                break;
            if (id == "fmt " && length >= 16) {
                // The encoding, the channels, the rate; an extensible format names its encoding
                // again in 24 more bytes, which the mixer reads whatever the length says.
                const std::string format = read(offset + 8, 8);
                if (format.size() == 8) {
                    if (Little(format, 0, 2) == 0xFFFE && length < 40)
                        return "it is damaged: its description of the samples is cut short";
                    if (std::string problem = ChannelProblem(Little(format, 2, 2));
                        !problem.empty())
                        return problem;
                    if (std::string problem = RateProblem(Little(format, 4, 4)); !problem.empty())
                        return problem;
                }
            } else if (id == "LIST" && !padded) {
                if (length > kMaxTagList)
                    return "it is damaged: its list of tags is too long";
                // A list the file is too short for, the mixer does not read.
                const std::string list = read(offset + 8, length);
                if (list.size() == length)
                    if (std::string problem = TagListProblem(list); !problem.empty())
                        return problem;
            } else if (id == "smpl") {
                // Nine numbers, the last two the count of loop points and the size of what
                // follows them, then the loop points, six numbers each.
                const std::string count = length >= 36 ? read(offset + 8 + 28, 4) : std::string();
                if (count.size() < 4 || 36 + 24 * std::uint64_t(Little(count, 0, 4)) > length)
                    return "it is damaged: its loop points run past their part of the file";
            }
            offset += 8 + std::uint64_t(length) + (padded ? length % 2 : 0);
        }
    }
    return {};
}

// The parts of an AIFF file: an identifier and a big-endian length, padded to even.
std::string AiffProblem(std::uint64_t size, const TReadSoundBytes& read) {
    std::uint64_t offset = 12;
    for (int parts = 0; offset + 8 <= size; ++parts) {
        if (parts == kMaxParts)
            return "it is damaged: it holds more than " + std::to_string(kMaxParts) + " parts";
        // The common part: channels, frames, bits a sample, then the rate as an 80-bit float,
        // its sign and exponent first.
        const std::string header = read(offset, 8 + 10);
        if (header.size() < 8)
            break;
        const std::uint32_t length = Big(header, 4, 4);
        if (std::string_view(header).substr(0, 4) == "COMM" && header.size() == 18) {
            if (std::string problem = ChannelProblem(Big(header, 8, 2)); !problem.empty())
                return problem;
            const std::uint32_t signAndExponent = Big(header, 16, 2);
            if (signAndExponent < 0x8000 && signAndExponent >= 16383 + 20)
                return "it is damaged: it declares a million samples a second or more";
        }
        offset += 8 + std::uint64_t(length) + length % 2;
    }
    return {};
}

} // namespace

std::string SoundHeaderProblem(std::uint64_t size, const TReadSoundBytes& read) {
    const std::string magic = read(0, 12);
    // The mixer reads every file that begins so as a Creative Voice file, and its reader of
    // those writes beyond its memory on a damaged one: none is played.
    if (magic.starts_with("Crea"))
        return "it is a Creative Voice file, which is not played: save it as a WAV file";
    if (magic.size() < 12)
        return {};
    // The mixer takes a file that begins with "WAVE" for a RIFF file too.
    if (magic.starts_with("RIFF") || magic.starts_with("WAVE"))
        return WaveProblem(size, read);
    if (magic.starts_with("FORM"))
        return AiffProblem(size, read);
    return {};
}
