#!/usr/bin/env python3
"""The display kept alive on its own. Under systemd: a notify socket of the check's own hears
READY=1 once the window is on the screen, then heartbeats at half the watchdog's allowance, none
while the display's process is stopped, and again once it goes on. On a bare kiosk: the xinitrc
starts a killed display again, waits longer each time a display keeps failing at once, ends with
a display that ended by its Exit menu, and keeps its log bounded. The program's own keeper
(Windows' logon start) does the same for a display killed, and ends with one that ended well.

Usage: kept_alive.py SOURCE_DIR BUILD_DIR   (DISPLAY must name an X server)
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

import kiosk_display
from kiosk_display import display_windows, fail

SOURCE, BUILD = (os.path.abspath(a) for a in sys.argv[1:3])
XINITRC = os.path.join(SOURCE, "assets/kiosk/xinitrc")
WORK = tempfile.mkdtemp()


def environment(**extra):
    return kiosk_display.environment(WORK, **extra)


def messages(sock, seconds):
    """What the socket hears in `seconds`, with the time each came."""
    heard = []
    end = time.monotonic() + seconds
    while (left := end - time.monotonic()) > 0:
        sock.settimeout(left)
        try:
            heard.append((time.monotonic(), sock.recv(4096).decode()))
        except socket.timeout:
            break
    return heard


def check_watchdog():
    path = f"{WORK}/notify"
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    sock.bind(path)
    display = subprocess.Popen([f"{BUILD}/tallivue"], stderr=subprocess.DEVNULL,
                               env=environment(NOTIFY_SOCKET=path, WATCHDOG_USEC="600000"))
    try:
        sock.settimeout(30)
        first = sock.recv(4096).decode()
        if first != "READY=1":
            fail(f"the first message to the service manager was {first!r}, not READY=1")
        if not display_windows():
            fail("READY=1 came before the display's window was on the screen")
        beats = [t for t, text in messages(sock, 3) if text == "WATCHDOG=1"]
        if not 6 <= len(beats) <= 14:
            fail(f"{len(beats)} heartbeats in 3 s, at a 0.6 s allowance (one every 0.3 s)")
        display.send_signal(signal.SIGSTOP)
        messages(sock, 0.2)  # what was on its way
        quiet = messages(sock, 1.5)
        display.send_signal(signal.SIGCONT)
        if quiet:
            fail(f"heartbeats while the display was stopped: {quiet}")
        if not any(text == "WATCHDOG=1" for _, text in messages(sock, 1.5)):
            fail("no heartbeat after the display went on")
    finally:
        display.kill()
        display.wait()
        sock.close()


def xinitrc(home, bin_dir):
    env = environment(HOME=home, PATH=f"{bin_dir}:{os.environ['PATH']}")
    del env["XDG_STATE_HOME"]  # the kiosk's log where a login finds it
    return subprocess.Popen(["sh", XINITRC], env=env, start_new_session=True)


def display_pid(session, old=None, seconds=20, parent=False):
    """The display started from the session (or the parent) named, once its window shows."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = subprocess.run(["pgrep", "-P" if parent else "-s", str(session), "-x", "tallivue"],
                               capture_output=True, text=True).stdout.split()
        if found and found[0] != old and display_windows():
            return found[0]
        time.sleep(0.1)
    fail(f"no display running {'again ' if old else ''}in {seconds} s")


def check_restarted_display():
    home = f"{WORK}/kiosk"
    bin_dir = f"{home}/bin"
    state = f"{home}/.local/state"
    os.makedirs(bin_dir)
    os.makedirs(state)
    os.symlink(f"{BUILD}/tallivue", f"{bin_dir}/tallivue")
    with open(f"{state}/tallivue.log", "wb") as log:
        log.write(b"an old line\n" * 100000)  # 1.2 MB
    session = xinitrc(home, bin_dir)
    try:
        first = display_pid(session.pid)
        if os.path.getsize(f"{state}/tallivue.log.1") != 1200000 or \
                os.path.getsize(f"{state}/tallivue.log") > 10000:
            fail("the log past 1 MB was not put aside at the start")
        os.kill(int(first), signal.SIGKILL)
        display_pid(session.pid, old=first)
        with open(f"{state}/tallivue.log") as log:
            if "starting it again" not in log.read():
                fail("the log does not say the display was started again")
    finally:
        os.killpg(session.pid, signal.SIGKILL)
        session.wait()


def check_failing_display():
    # A program that stands in for the display: it fails at once three times, then ends as
    # its Exit menu ends it.
    home = f"{WORK}/failing"
    os.makedirs(f"{home}/bin")
    with open(f"{home}/bin/tallivue", "w") as program:
        program.write('#!/bin/sh\ndate +%s.%N >>"$HOME/starts"\n'
                      '[ "$(wc -l <"$HOME/starts")" -ge 4 ]\n')
    os.chmod(f"{home}/bin/tallivue", 0o755)
    session = xinitrc(home, f"{home}/bin")
    try:
        session.wait(timeout=30)
    except subprocess.TimeoutExpired:
        os.killpg(session.pid, signal.SIGKILL)
        fail("the xinitrc went on after the display ended by its Exit menu")
    with open(f"{home}/starts") as starts:
        times = [float(line) for line in starts]
    gaps = [round(b - a, 1) for a, b in zip(times, times[1:])]
    if len(times) != 4 or not all(abs(g - want) < 0.5 for g, want in zip(gaps, (1, 2, 4))):
        fail(f"a display failing at once was started again after {gaps} s, not 1, 2 and 4")


def check_keep_running():
    # Windows' logon start: the program keeps a display of its own running.
    keeper = subprocess.Popen([f"{BUILD}/tallivue", "--keep-running"], stderr=subprocess.PIPE,
                              text=True, env=environment())
    try:
        first = display_pid(keeper.pid, seconds=30, parent=True)
        os.kill(int(first), signal.SIGKILL)
        display_pid(keeper.pid, old=first, parent=True)
    finally:
        # The display first, then the keeper within the second it waits before a new one.
        subprocess.run(["pkill", "-KILL", "-P", str(keeper.pid)])
        keeper.kill()
        said = keeper.communicate(timeout=30)[1]
    if "the display crashed or was ended; it starts again in 1 s" not in said:
        fail(f"the keeper did not say it started the display again: {said}")
    # A display that ends by itself with status 0 (as by its Exit menu) ends the keeper too.
    keeper = subprocess.run([f"{BUILD}/tallivue", "--keep-running", "--screenshot",
                             f"{WORK}/shot.png", "--after", "1"], env=environment(), timeout=60)
    if keeper.returncode != 0 or not os.path.exists(f"{WORK}/shot.png"):
        fail(f"the keeper of a display that ended with 0 ended with {keeper.returncode}")


try:
    check_watchdog()
    check_keep_running()
    check_restarted_display()
    check_failing_display()
    print("PASS: the display kept alive by systemd's watchdog, the kiosk's xinitrc and its own keeper")
finally:
    shutil.rmtree(WORK, ignore_errors=True)
