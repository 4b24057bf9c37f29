#pragma once

// tallivue --set-web-password: asks twice on a terminal (without showing what is typed), or
// reads one line from standard input, and keeps the password's hash in the settings, which opens
// the front desk's settings pages. Returns the program's exit code; says what went wrong.
int SetWebPassword();
