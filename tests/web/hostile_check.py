#!/usr/bin/env python3
"""The front desk's service as the arena's network may treat it: requests no browser sends,
a request trickled in, and floods of connections. Each bad request must be answered with its
status and its connection closed, and through the floods the display must go on taking the
controller's datagrams and the board page go on answering.

Usage: hostile_check.py BUILD_DIR
"""

import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

BUILD = os.path.abspath(sys.argv[1])
MAX_CONNECTIONS = 128
UPLOAD_BOUND = 4 * 1024 * 1024 + 64 * 1024
failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text, file=sys.stderr)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def read_to_close(conn, limit):
    """What the service sent before it closed, and whether it closed within `limit` s."""
    conn.settimeout(0.5)
    data = b""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        try:
            piece = conn.recv(65536)
        except socket.timeout:
            continue
        except ConnectionResetError:
            return data, True
        if not piece:
            return data, True
        data += piece
    return data, False


def status_of(answer):
    parts = answer.split(b"\r\n", 1)[0].split(b" ")
    return int(parts[1]) if len(parts) > 1 and parts[1].isdigit() else None


def http_get(port, path):
    """(status, body) of one GET, or (None, b"") when the service would not have it."""
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=5) as conn:
            conn.sendall(f"GET {path} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n".encode())
            answer, _ = read_to_close(conn, 5)
    except OSError:
        return None, b""
    return status_of(answer), answer.partition(b"\r\n\r\n")[2]


def board_status(port):
    status, body = http_get(port, "/status.json")
    return json.loads(body) if status == 200 else None


def wait_for(what, limit):
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        value = what()
        if value:
            return value
        time.sleep(0.1)
    return None


def check_refused(port, name, request, expected, header=None):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=5) as conn:
            conn.sendall(request)
            answer, closed = read_to_close(conn, 5)
    except OSError as error:
        fail(f"{name}: {error}")
        return
    status = status_of(answer)
    if status != expected:
        fail(f"{name}: answered {status} ({answer[:80]!r}), not {expected}")
    if not closed:
        fail(f"{name}: the connection stayed open after the answer")
    if header and header.lower() not in answer.partition(b"\r\n\r\n")[0].lower():
        fail(f"{name}: no {header!r} in the answer's head")


def trickle(port, result):
    """A request's head a byte every half second: answered 408 after about 10 s."""
    start = time.monotonic()
    conn = socket.create_connection(("127.0.0.1", port), timeout=5)
    conn.sendall(b"GET / HTTP/1.1\r\nHost: x\r\nX-Slow: ")
    conn.settimeout(0.5)
    answer = b""
    closed = False
    while time.monotonic() - start < 20 and not closed:
        try:
            piece = conn.recv(65536)
            answer += piece
            closed = not piece
        except socket.timeout:
            try:
                conn.sendall(b"a")
            except OSError:
                pass
        except ConnectionResetError:
            closed = True
    conn.close()
    result.append((status_of(answer), time.monotonic() - start, closed))


def churn(port, stop, rounds):
    """200 connections opened at once and dropped at once, over and over."""
    while not stop.is_set():
        conns = []
        for _ in range(200):
            try:
                conns.append(socket.create_connection(("127.0.0.1", port), timeout=2))
            except OSError:
                pass
        for conn in conns:
            conn.close()
        rounds[0] += 1


def main():
    work = tempfile.mkdtemp()
    port = free_port()
    os.makedirs(os.path.join(work, "Outrider"))
    with open(os.path.join(work, "Outrider", "Tallivue.reg"), "wb") as reg:
        reg.write(
            b"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n"
            b'"BackgroundBMP"=""\r\n"Title"=""\r\n"Center Logo"=""\r\n'
            + f'"Web Port"=dword:{port:08x}\r\n'.encode()
        )
    env = dict(os.environ, XDG_CONFIG_HOME=work, XDG_STATE_HOME=work, QT_QPA_PLATFORM="offscreen",
               SDL_AUDIODRIVER="dummy")
    display = subprocess.Popen([os.path.join(BUILD, "tallivue")], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    heard = []
    threading.Thread(target=lambda: heard.extend(display.stderr), daemon=True).start()
    sim = os.path.join(BUILD, "tallivue-sim")
    try:
        if not wait_for(lambda: any(b"board is at" in line for line in heard), 20):
            fail("the display never said where its board is: " + repr(heard))
            return

        slow = []
        slow_thread = threading.Thread(target=trickle, args=(port, slow))
        slow_thread.start()

        head = b"GET / HTTP/1.1\r\nHost: x\r\nX-Pad: " + b"a" * (17 * 1024) + b"\r\n\r\n"
        check_refused(port, "a head over 16 KiB", head, 431)
        check_refused(port, "a body beyond the upload bound",
                      b"POST /settings/picture HTTP/1.1\r\nHost: x\r\nContent-Length: "
                      + str(UPLOAD_BOUND + 1).encode() + b"\r\n\r\n", 413)
        check_refused(port, "an unknown method", b"BREW / HTTP/1.1\r\nHost: x\r\n\r\n", 501)
        check_refused(port, "PUT", b"PUT / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n",
                      405, b"Allow: GET")
        check_refused(port, "a chunked body",
                      b"POST /login HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n"
                      b"5\r\nhello\r\n0\r\n\r\n", 411)
        check_refused(port, "a request line without a version",
                      b"GET /status.json\r\nHost: x\r\n\r\n", 400)

        slow_thread.join()
        status, took, closed = slow[0]
        if status != 408 or not 10 <= took < 14:
            fail(f"a trickled request: answered {status} after {took:.1f} s, not 408 after 10 s")
        if not closed:
            fail("a trickled request: the connection stayed open after the answer")

        # Through a flood of connections the datagrams still count and the board answers.
        stop = threading.Event()
        rounds = [0]
        flood = threading.Thread(target=churn, args=(port, stop, rounds))
        flood.start()
        wait_for(lambda: rounds[0] >= 1, 10)
        subprocess.run([sim, "MODE,GAMEACTIVE,200,Deathmatch"], check=True,
                       stdout=subprocess.DEVNULL)
        seen = wait_for(lambda: (board_status(port) or {}).get("mode") == "playing", 15)
        board = wait_for(lambda: http_get(port, "/")[0] == 200, 15)
        during = rounds[0]
        stop.set()
        flood.join()
        if not seen:
            fail("during the flood the datagram's mode never showed in /status.json")
        if not board:
            fail("during the flood the board page never answered")
        if during < 2:
            fail(f"the flood ran only {during} rounds: the checks were not made during it")

        # The flood's last round may still be closing; its leftovers would take places.
        settled = wait_for(lambda: (board_status(port) or {}).get("connections") == 1, 10)
        if not settled:
            fail(f"connections still counted after the flood: {board_status(port)}")

        # 200 held at once: those beyond the limit are refused, the rest wait for a request.
        held = [socket.create_connection(("127.0.0.1", port), timeout=5) for _ in range(200)]
        time.sleep(2)
        refused = 0
        for conn in held:
            conn.setblocking(False)
            answer = b""
            try:
                while piece := conn.recv(65536):
                    answer += piece
                closed = True
            except BlockingIOError:
                closed = False
            except ConnectionResetError:
                closed = True
            if status_of(answer) == 503 and closed:
                refused += 1
        if refused != 200 - MAX_CONNECTIONS:
            fail(f"of 200 connections at once {refused} were refused, "
                 f"not {200 - MAX_CONNECTIONS}")
        for conn in held:
            conn.close()

        # Once they are gone, none of them is still counted against the limit.
        left = wait_for(lambda: (board_status(port) or {}).get("connections") == 1, 10)
        if not left:
            fail(f"connections still counted after all closed: {board_status(port)}")
        if display.poll() is not None:
            fail(f"the display ended ({display.returncode})")
    finally:
        display.kill()
        display.wait()
        shutil.rmtree(work, ignore_errors=True)


main()
sys.exit(1 if failures else 0)
