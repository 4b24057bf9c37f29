#pragma once

#include "support/TempFolder.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

// What the program writes to its standard error while this lives, where its journal would read
// it.
class TCapturedStderr {
public:
    TCapturedStderr() {
        std::fflush(stderr);
        FSaved = ::dup(STDERR_FILENO);
        const int file =
            ::open((FFolder / "stderr.txt").string().c_str(), O_WRONLY | O_CREAT, 0600);
        ::dup2(file, STDERR_FILENO);
        ::close(file);
    }
    ~TCapturedStderr() {
        std::fflush(stderr);
        ::dup2(FSaved, STDERR_FILENO);
        ::close(FSaved);
    }
    TCapturedStderr(const TCapturedStderr&) = delete;
    TCapturedStderr& operator=(const TCapturedStderr&) = delete;

    std::string Text() const {
        std::fflush(stderr);
        return ReadBytes(FFolder / "stderr.txt");
    }

private:
    TTempFolder FFolder;
    int FSaved = -1;
};
