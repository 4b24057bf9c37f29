"""What the kiosk checks share: the display's environment of its own, and its window on the X
server as xwininfo and xprop see it from the outside."""
import os
import subprocess


def fail(text):
    raise SystemExit(f"FAIL: {text}")


def environment(work, **extra):
    """The display's settings and kept state in `work`, on the X server, without sound or a
    service manager."""
    env = dict(os.environ, XDG_CONFIG_HOME=f"{work}/config", XDG_STATE_HOME=f"{work}/state",
               QT_QPA_PLATFORM="xcb", SDL_AUDIODRIVER="dummy")
    for name in ("NOTIFY_SOCKET", "WATCHDOG_USEC", "WATCHDOG_PID"):
        env.pop(name, None)
    env.update(extra)
    return env


def write_settings(work, lines):
    """The settings file holding the given value lines, renamed into place whole: a running
    display reads it again."""
    folder = f"{work}/config/Outrider"
    os.makedirs(folder, exist_ok=True)
    with open(f"{folder}/Tallivue.reg.new", "w", newline="") as settings:
        settings.write("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n" +
                       "".join(line + "\r\n" for line in lines))
    os.replace(f"{folder}/Tallivue.reg.new", f"{folder}/Tallivue.reg")


def display_windows():
    """The display's window if it is on the screen (mapped), not merely made."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    ids = [line.split()[0] for line in tree.splitlines() if '("tallivue" "Tallivue")' in line]

    def shows(window, tool, *what):
        return subprocess.run([tool, "-id", window, *what], capture_output=True, text=True).stdout

    # The display, not the welcome or about box: all are the program's and named Tallivue.
    return [i for i in ids if "IsViewable" in shows(i, "xwininfo") and
            "DIALOG" not in shows(i, "xprop", "_NET_WM_WINDOW_TYPE")]
