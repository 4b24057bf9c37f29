// Windows' netsh for the installer's check under Wine, whose own netsh does nothing and keeps no
// firewall rules: it writes each command it is given to C:\netsh.log, to be read back.
#include <stdio.h>
#include <windows.h>

int main(void) {
    FILE* log = fopen("C:\\netsh.log", "a");
    if (log == NULL)
        return 1;
    int written = fprintf(log, "%s\n", GetCommandLineA());
    return fclose(log) == 0 && written > 0 ? 0 : 1;
}
