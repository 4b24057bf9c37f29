#include "web/SetWebPassword.h"

#include "settings/Platform.h"
#include "settings/RegistryDef.h"
#include "web/PasswordHash.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace {

bool OnATerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

// What is typed is not shown while this lives.
class TQuietTerminal {
public:
    TQuietTerminal() {
#ifdef _WIN32
        FInput = GetStdHandle(STD_INPUT_HANDLE);
        FKept = GetConsoleMode(FInput, &FMode) != 0;
        if (FKept)
            SetConsoleMode(FInput, FMode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
#else
        FKept = tcgetattr(STDIN_FILENO, &FMode) == 0;
        if (FKept) {
            termios quiet = FMode;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
#endif
    }
    ~TQuietTerminal() {
#ifdef _WIN32
        if (FKept)
            SetConsoleMode(FInput, FMode);
#else
        if (FKept)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &FMode);
#endif
    }
    TQuietTerminal(const TQuietTerminal&) = delete;
    TQuietTerminal& operator=(const TQuietTerminal&) = delete;

private:
    bool FKept = false;
#ifdef _WIN32
    HANDLE FInput = nullptr;
    DWORD FMode = 0;
#else
    termios FMode{};
#endif
};

bool ReadLine(const char* prompt, bool terminal, std::string& line) {
    if (terminal) {
        std::fputs(prompt, stderr);
        std::fflush(stderr);
    }
    bool read = false;
    {
        std::optional<TQuietTerminal> quiet;
        if (terminal)
            quiet.emplace();
        read = static_cast<bool>(std::getline(std::cin, line));
    }
    if (terminal)
        std::fputs("\n", stderr);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return read;
}

} // namespace

int SetWebPassword() {
    const bool terminal = OnATerminal();
    std::string password;
    if (!ReadLine("Password for the front desk's settings page: ", terminal, password)) {
        std::fprintf(stderr, "tallivue: no password was given; nothing changed\n");
        return 1;
    }
    if (terminal) {
        std::string again;
        if (!ReadLine("The same again: ", terminal, again) || again != password) {
            std::fprintf(stderr, "tallivue: the two passwords differ; nothing changed\n");
            return 1;
        }
    }
    if (password.size() < kMinWebPasswordLength) {
        std::fprintf(stderr,
                     "tallivue: a password takes at least %zu characters; nothing changed\n",
                     kMinWebPasswordLength);
        return 1;
    }
    try {
        TRegistryDef registry(PlatformRegistryStore());
        registry.SetRootKey(TRootKey::LocalMachine);
        if (!registry.OpenKey(kSettingsKeyPath, true))
            throw TRegistryError("the settings key cannot be opened");
        registry.WriteString(SettingDef(sWebPasswordHash).Name, HashWebPassword(password));
        registry.CloseKey();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tallivue: the password could not be kept: %s\n", failure.what());
        return 1;
    }
    std::fprintf(stderr,
                 "tallivue: the password is set; the front desk's settings page opens with it "
                 "(once \"Web Port\" is set)\n");
    return 0;
}
