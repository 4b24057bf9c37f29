#pragma once

// The media player as its callers see it: a file name, open, play and close, with one
// completion report per play delivered later on the caller's thread. The talking download is
// written against this, so it can be tested with a player that only records. File names are
// UTF-8 texts, as all texts of the program; the player encodes them for the file system.

#include <stdexcept>
#include <string>

// An open that fails, carrying the sound system's own text.
class TMediaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TSoundPlayer {
public:
    virtual ~TSoundPlayer() = default;

    // Whether `fileName` names a regular file: a folder named like a sound is not one.
    virtual bool SoundFileExists(const std::string& fileName) const = 0;
    virtual void SetFileName(const std::string& fileName) = 0;
    // Closes what was open (a sound that plays stops, and its completion is still reported),
    // then opens the file named. Raises TMediaError on failure.
    virtual void Open() = 0;
    // Starts the open sound. False when it does not start; no completion report follows then.
    virtual bool Play() = 0;
    virtual void Close() = 0;
};
