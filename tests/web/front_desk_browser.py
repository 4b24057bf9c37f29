#!/usr/bin/env python3
"""The front desk in a real browser (headless Chromium through Selenium) against the real display
on an X server: the board follows a game and a download from the controller simulator, at a
phone's and a television's size; a "Msg1" saved from the settings page is what the display
scrolls; forms without their token, without a session, while the display's dialog is open, from
a page loaded before a change, or after five wrong passwords change nothing.

Usage: front_desk_browser.py BUILD_DIR [SCREENSHOT_DIR]   (DISPLAY must name an X server)
"""
import http.client
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.parse

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

BUILD = os.path.abspath(sys.argv[1])
SHOTS = sys.argv[2] if len(sys.argv) > 2 else None
PASSWORD = "front-desk-8"
WORK = tempfile.mkdtemp()
ENV = dict(os.environ, XDG_CONFIG_HOME=f"{WORK}/config", XDG_DATA_HOME=f"{WORK}/data",
           XDG_STATE_HOME=f"{WORK}/state",
           QT_QPA_PLATFORM="xcb", SDL_AUDIODRIVER="dummy")
SETTINGS = f"{WORK}/config/Outrider/Tallivue.reg"


def fail(text):
    raise SystemExit(f"FAIL: {text}")


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


PORT = free_port()
os.makedirs(os.path.dirname(SETTINGS))
with open(SETTINGS, "w", newline="") as file:
    file.write('REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n'
               '"BackgroundBMP"=""\r\n"Title"=""\r\n"Center Logo"=""\r\n'
               f'"Web Port"=dword:{PORT:08x}\r\n"Msg1"="Welcome to the arena"\r\n')
subprocess.run([f"{BUILD}/tallivue", "--set-web-password"], input=PASSWORD + "\n", text=True,
               env=ENV, check=True, capture_output=True)


def request(method, path, body=None, headers=None):
    connection = http.client.HTTPConnection("127.0.0.1", PORT, timeout=10)
    connection.request(method, path, body=body, headers=headers or {})
    response = connection.getresponse()
    data = response.read()
    connection.close()
    return response.status, response.getheader("Set-Cookie"), data.decode("utf-8", "replace")


def status():
    return json.loads(request("GET", "/status.json")[2])


def sim(*datagrams):
    subprocess.run([f"{BUILD}/tallivue-sim", *datagrams], check=True, capture_output=True)


def wait_for(what, check, seconds=10):
    deadline = time.monotonic() + seconds
    while True:
        try:
            got = check()
            if got:
                return got
        except Exception as error:  # a page still loading, a display still starting
            got = error
        if time.monotonic() > deadline:
            fail(f"{what}: still {got!r}")
        time.sleep(0.05)


def settings_bytes():
    with open(SETTINGS, "rb") as file:
        return file.read()


display = subprocess.Popen([f"{BUILD}/tallivue"], env=ENV, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, text=True)
browser = None
try:
    wait_for("the status page", lambda: status()["mode"] == "offline")
    options = Options()
    for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                     "--force-device-scale-factor=1"]:
        options.add_argument(argument)
    browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

    def text(selector):
        return browser.find_element(By.CSS_SELECTOR, selector).text

    def colour(team, pack):
        return browser.find_element(
            By.CSS_SELECTOR, f'.team[data-team="{team}"] .pack[data-pack="{pack}"]'
        ).value_of_css_property("background-color")

    def shot(name, width, height):
        browser.set_window_size(width, height)
        time.sleep(0.3)
        if SHOTS:
            browser.save_screenshot(os.path.join(SHOTS, name))

    # The board follows the controller, each datagram within a moment.
    browser.set_window_size(390, 844)
    browser.get(f"http://127.0.0.1:{PORT}/")
    wait_for("the board's first picture", lambda: text("#caption") == "Offline")
    sim("MODE,IDLE")
    wait_for("the caption after MODE,IDLE", lambda: text("#caption") == "Idle")
    # Team 1: pack 1 played, pack 2 downloaded unused, pack 3 in the game; team 3's last pack
    # played: the last team's last box, in its own colour.
    # The controller sends a pack's flags pack by pack, the teams side by side: 128 in the game,
    # 192 downloaded, 224 downloaded and played.
    flags = {(1, 1): 224, (1, 2): 192, (1, 3): 128, (3, 6): 224}
    flags.update({(2, pack): 128 for pack in range(1, 7)})

    def pack_status():
        return "PACKSTATUS," + ",".join(str(flags.get((team, pack), 0))
                                         for pack in range(1, 7) for team in range(1, 4))

    started = time.monotonic()
    sim("MODE,GAMEACTIVE,200,Deathmatch", pack_status())
    wait_for("the countdown", lambda: text("#countdown") == "3:20")
    latency = time.monotonic() - started
    wait_for("the caption in the game", lambda: text("#caption") == "Playing Game Deathmatch")
    wait_for("team 1's played pack", lambda: colour(1, 1) == "rgba(255, 128, 128, 1)")
    if colour(1, 2) != "rgba(128, 0, 0, 1)" or colour(1, 3) != "rgba(0, 0, 0, 1)":
        fail(f"team 1's downloaded and waiting packs are {colour(1, 2)} and {colour(1, 3)}")
    if colour(1, 4) != "rgba(64, 64, 64, 1)" or colour(3, 6) != "rgba(255, 255, 128, 1)":
        fail(f"team 1's pack 4 and team 3's pack 6 are {colour(1, 4)} and {colour(3, 6)}")
    wait_for("the totals", lambda: (text("#total-downloaded"), text("#total-played")) == ("3", "2"))
    shot("board-phone-game.png", 390, 844)
    shot("board-tv-game.png", 1920, 1080)

    flags[(1, 3)] = 192
    sim("MODE,DOWNLOADPACKS", pack_status())
    wait_for("the download's caption", lambda: text("#caption") == "Download Packs")
    wait_for("the download's totals", lambda: text("#total-downloaded") == "4")
    if not browser.find_element(By.ID, "countdown").get_attribute("hidden"):
        fail("the countdown still shows in the download")
    shot("board-tv-download.png", 1920, 1080)
    shot("board-phone-download.png", 390, 844)

    # The settings page, after logging in.
    browser.set_window_size(1024, 1400)
    browser.get(f"http://127.0.0.1:{PORT}/settings")
    browser.find_element(By.ID, "password").send_keys(PASSWORD)
    browser.find_element(By.CSS_SELECTOR, "form.login button").click()
    wait_for("the settings form", lambda: browser.find_element(By.NAME, "Msg1"))
    hostile = '<img src=x id=injected> Sam\'s party & "friends" at 4pm'
    field = browser.find_element(By.NAME, "Msg1")
    field.clear()
    field.send_keys(hostile)
    speed = browser.find_element(By.NAME, "ScrollSpeed")
    speed.clear()
    speed.send_keys("7")
    if SHOTS:
        browser.save_screenshot(os.path.join(SHOTS, "settings.png"))
    browser.find_element(By.CSS_SELECTOR, "#settings button[type=submit]").click()
    wait_for("the saved note", lambda: "Saved" in text("p.done"))
    wait_for("the display scrolling the saved message", lambda: status()["message"] == hostile)
    stored = settings_bytes().decode("latin-1")
    if '"ScrollSpeed"=dword:00000007' not in stored or '"Title"=""' not in stored:
        fail("the settings file does not hold the speed saved and the title as it was")
    if SHOTS:
        subprocess.run(["import", "-window", "root", os.path.join(SHOTS, "display-after-save.png")],
                       check=True)

    # The board shows the message as text, never as markup.
    browser.get(f"http://127.0.0.1:{PORT}/")
    wait_for("the message on the board", lambda: text("#message") == hostile)
    if browser.find_elements(By.ID, "injected"):
        fail("the message's markup became an element of the board")

    # Refusals that change nothing.
    cookie = "tallivue_session=" + browser.get_cookie("tallivue_session")["value"]
    browser.get(f"http://127.0.0.1:{PORT}/settings")
    token = browser.find_element(By.NAME, "token").get_attribute("value")
    digest = browser.find_element(By.NAME, "digest").get_attribute("value")
    form = {"Msg1": "changed", "token": token, "digest": digest}
    for element in browser.find_elements(By.CSS_SELECTOR, "#settings input, #settings select"):
        name = element.get_attribute("name")
        if name and name not in form and element.get_attribute("type") != "checkbox":
            form[name] = element.get_attribute("value")
        elif name and element.is_selected():
            form[name] = "1"
    before = settings_bytes()
    urlencoded = {"Content-Type": "application/x-www-form-urlencoded"}

    def post(fields, with_cookie=True):
        headers = dict(urlencoded, **({"Cookie": cookie} if with_cookie else {}))
        return request("POST", "/settings", urllib.parse.urlencode(fields), headers)[0]

    without_token = dict(form)
    del without_token["token"]
    for what, got in [("without the token", post(without_token)),
                      ("with another token", post(dict(form, token="0" * 64))),
                      ("without a session", post(form, with_cookie=False))]:
        if got != 403:
            fail(f"a save {what} was answered {got}")
    # While the properties dialog is open on the display, its Save would win.
    subprocess.run(["xdotool", "key", "F5"], check=True)
    time.sleep(1.0)
    if post(form) != 409:
        fail("a save while the properties dialog is open was not refused")
    subprocess.run(["xdotool", "key", "Escape"], check=True)
    time.sleep(0.5)
    if settings_bytes() != before:
        fail("a refused save changed the settings file")
    # The page's own save goes through, a number beyond the field's limits clamped as the
    # dialog clamps it; the same page sent again meets the change it made.
    if post(dict(form, ScrollSpeed="250")) != 303:
        fail("the page's own save was refused")
    if b'"ScrollSpeed"=dword:00000064' not in settings_bytes():
        fail("a scroll speed of 250 was not kept as the dialog's highest, 100")
    if post(dict(form, Msg1="again")) != 409:
        fail("a page loaded before a change wrote over it")
    wait_for("the display taking the save", lambda: status()["message"] == "changed")

    # Boards that came and went leave no connection counted: beyond the limit they would shut
    # every browser out.
    counted, boards = status()["connections"], status()["boardClients"]
    for _ in range(5):
        with socket.create_connection(("127.0.0.1", PORT), timeout=10) as board:
            board.sendall(b"GET /ws HTTP/1.1\r\nHost: desk\r\nUpgrade: websocket\r\n"
                          b"Connection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                          b"Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n")
            if not board.recv(100).startswith(b"HTTP/1.1 101"):
                fail("a board's WebSocket was not taken")
    def forgotten():
        now = status()
        return now["connections"] <= counted + 1 and now["boardClients"] <= boards

    wait_for("the boards' connections forgotten", forgotten)

    # Five wrong passwords lock the address out for a minute: the right one is refused too.
    def login(password):
        got, set_cookie, page = request("GET", "/settings")
        session = set_cookie.split(";")[0]
        login_token = re.search(r'name="token" value="([0-9a-f]+)"', page).group(1)
        return request("POST", "/login", urllib.parse.urlencode(
            {"password": password, "token": login_token}), dict(urlencoded, Cookie=session))

    for attempt in range(5):
        if login("wrong password")[0] != 403:
            fail(f"wrong password {attempt + 1} was not refused")
    locked, set_cookie, _ = login(PASSWORD)
    if locked != 429 or (set_cookie and "Max-Age=28800" in set_cookie):
        fail(f"the right password after five wrong ones was answered {locked}, {set_cookie}")

    print(f"PASS: the front desk in a browser (datagram to board {latency * 1000:.0f} ms)")
finally:
    if browser:
        browser.quit()
    display.terminate()
    log = display.communicate(timeout=10)[0]
    if sys.exc_info()[0] is not None:
        print(log, file=sys.stderr)
    elif "settings saved from 127.0.0.1: " not in log:
        print(log, file=sys.stderr)
        print("FAIL: no line on standard error for the save", file=sys.stderr)
        sys.exit(1)
    shutil.rmtree(WORK, ignore_errors=True)
