#!/usr/bin/env python3
"""The display outside its opening hours, on a real X server: hours changed to close a minute
from now turn the whole screen black, hold the display still (next to no CPU, its event loop
woken about once a second), and say once that this server cannot put the monitor to sleep
(Xvfb has no DPMS); a game datagram brings the board back. A display started after closing is
black from the start, and a key wakes it.

Usage: opening_hours.py BUILD_DIR   (DISPLAY must name an X server)
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time

from kiosk_display import display_windows, environment, fail, write_settings

BUILD = os.path.abspath(sys.argv[1])
WORK = tempfile.mkdtemp()
NO_DPMS = "the monitor cannot be asked to sleep here (the X server has no DPMS extension)"


def screen_colours():
    """How many pixels of the whole screen are not black, and how many are the caption's red."""
    shot = f"{WORK}/shot.png"
    subprocess.run(["import", "-window", "root", shot], check=True)
    count = ["-format", "%[fx:round(mean*w*h)]", "info:"]
    lit = subprocess.run(["convert", shot, "-fill", "white", "+opaque", "black", *count],
                         capture_output=True, text=True, check=True).stdout
    red = subprocess.run(["convert", shot, "-fill", "black", "+opaque", "#FF0000", "-fill",
                          "white", "-opaque", "#FF0000", *count],
                         capture_output=True, text=True, check=True).stdout
    return int(lit), int(red)


def wait_for(what, condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return
        time.sleep(0.2)
    fail(f"{what} within {seconds} s (lit and red pixels: {screen_colours()})")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def wakeups(pid):
    """How often the display's event loop has woken: each timer that runs wakes it."""
    with open(f"/proc/{pid}/task/{pid}/status") as status:
        return sum(int(line.split()[1]) for line in status
                   if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")))


def start_display(log):
    display = subprocess.Popen([f"{BUILD}/tallivue"], stderr=log, env=environment(WORK))
    wait_for("the display's window on the screen", display_windows, 30)
    return display


def black():
    return screen_colours()[0] == 0


def board():
    lit, red = screen_colours()
    return lit > 0 and red > 500


DAYS = ["Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"]


def write_hours(hours):
    # Everything that moves: the clock, the polygon, the scroll message.
    write_settings(WORK, ['"Opening Hours"=dword:00000001', '"ShowClock"=dword:00000001',
                          '"BackgroundBMP"=""', '"Title"=""', '"Center Logo"=""'] +
                   [f'"Hours {day}"="{hours}"' for day in DAYS])


def check():
    # Open round the clock until the board shows (a loaded machine may take a while), then
    # closing a minute from now, in a settings file the display reads again when it changes.
    write_hours("00:00-24:00")
    with open(f"{WORK}/display.log", "w") as log:
        display = start_display(log)
    try:
        wait_for("the board at the start", board, 30)
        now = datetime.datetime.now()
        if now.hour == 23 and now.minute == 59:
            time.sleep(61 - now.second)  # a closing at 00:00 would read as round the clock
            now = datetime.datetime.now()
        closing = (now + datetime.timedelta(minutes=1)).strftime("%H:%M")
        write_hours(f"00:00-{closing}")
        wait_for(f"a black screen at {closing}", black, 80)
        time.sleep(1)
        before = cpu_seconds(display.pid), wakeups(display.pid)
        time.sleep(5)
        share = (cpu_seconds(display.pid) - before[0]) / 5
        woken = (wakeups(display.pid) - before[1]) / 5
        # Open, the clock, the polygon and the scroll message wake it some 60 times a second.
        if share > 0.02 or woken > 5:
            fail(f"the closed display took {share:.1%} of a core, woken {woken} times a second")
        subprocess.run([f"{BUILD}/tallivue-sim", "MODE,GAMEACTIVE,600,Deathmatch"], check=True)
        wait_for("the board back for a late game", board, 15)
    finally:
        display.kill()
        display.wait()
    with open(f"{WORK}/display.log") as log:
        said = log.read()
    if said.count(NO_DPMS) != 1:
        fail(f"the missing DPMS was not told once: {said}")

    # After closing, with no game kept: black from the start, until a key.
    shutil.rmtree(f"{WORK}/state", ignore_errors=True)
    with open(f"{WORK}/display.log", "w") as log:
        display = start_display(log)
    try:
        wait_for("a black screen at a start after closing", black, 30)
        time.sleep(1)
        if not black():
            fail("the screen did not stay black")
        subprocess.run(["xdotool", "key", "shift"], check=True)
        wait_for("the board back for a key", board, 15)
    finally:
        display.kill()
        display.wait()


try:
    check()
    print("PASS: the screen black and still outside the opening hours, back for a game and a key")
finally:
    shutil.rmtree(WORK, ignore_errors=True)
