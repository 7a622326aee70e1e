#!/usr/bin/env python3
"""End to end: a headless game sends a score to a klevaria-scores service on a
free loopback port, and the name then appears, escaped, on the world table page.
With --silent the service is a loopback socket that accepts and never answers:
the script itself checks that the game gives up and says so.

Exit status: 0 passed, 1 failed, 77 skipped (no game data built)."""
import argparse
import json
import os
import shutil
import socket
import subprocess
import sys
import threading
import time
import urllib.request


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


# Loopback only: never through a proxy from the environment.
_opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def fetch(url, timeout=5):
    with _opener.open(url, timeout=timeout) as r:
        return r.read().decode("utf-8")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--scores", required=True)
    ap.add_argument("--runner", required=True)
    ap.add_argument("--game-dir", required=True)
    ap.add_argument("--script", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--silent", action="store_true")
    ap.add_argument("--verified", metavar="NAME",
                    help="the script plays an honest game under NAME: its replay must prove it")
    a = ap.parse_args()

    if not os.path.exists(os.path.join(a.game_dir, "Data", "MenuImgs.icf")):
        print("skipped: the game data is not built")
        return 77

    shutil.rmtree(a.work, ignore_errors=True)
    os.makedirs(a.work)
    for sub in ("Data", "Sound"):
        if os.path.exists(os.path.join(a.game_dir, sub)):
            os.symlink(os.path.join(a.game_dir, sub), os.path.join(a.work, sub))

    if a.silent:
        return run_silent(a)

    port = free_port()
    base = "http://127.0.0.1:%d" % port
    page_url = base + "/cgi/version.pl?prg=Marlowfin&show&type=0"
    log_path = os.path.join(a.work, "service.log")
    log = open(log_path, "w")
    service = subprocess.Popen(
        [a.scores, "--port", str(port), "--db", os.path.join(a.work, "scores.db"),
         "--game-dir", a.game_dir, "--workers", "1"], stderr=log)
    try:
        deadline = time.monotonic() + 10
        while True:
            try:
                fetch(page_url, timeout=1)
                break
            except OSError:
                if time.monotonic() > deadline or service.poll() is not None:
                    print("FAILED: the service did not come up")
                    return 1
                time.sleep(0.05)

        run = subprocess.run([a.runner, "--appdir", a.work, "--score-service", base, a.script],
                             timeout=120)
        if run.returncode != 0:
            print("FAILED: the script ended with %d" % run.returncode)
            return 1

        json_url = page_url + "&format=json"
        if a.verified:
            # The game uploaded its replay after the score; the service plays
            # it again and marks the entry verified.
            deadline = time.monotonic() + 120
            while True:
                rows = json.loads(fetch(json_url))["rows"]
                if rows and rows[0]["verified"]:
                    break
                if time.monotonic() > deadline:
                    print("FAILED: the entry was not proven:", rows, open(log_path).read())
                    return 1
                time.sleep(0.2)
            if rows[0]["name"] != a.verified or len(rows) != 1:
                print("FAILED: unexpected rows:", rows)
                return 1
            print("passed: the world table proved the game by its replay")
            return 0

        page = fetch(page_url)
        row = '<td class="rank">1</td><td class="name">&lt;Рыбак&gt;</td><td class="score">987650</td>'
        if row not in page:
            print("FAILED: the name is not on the page:\n" + page)
            return 1
        if page.count('<td class="rank">') != 1:
            print("FAILED: expected exactly one row:\n" + page)
            return 1
        # The score was set by the script, not played: the replay the game
        # uploaded after it does not end there, and the entry stays unverified.
        deadline = time.monotonic() + 120
        while "not proven" not in open(log_path).read():
            if time.monotonic() > deadline:
                print("FAILED: the replay was not refused:\n" + open(log_path).read())
                return 1
            time.sleep(0.2)
        rows = json.loads(fetch(json_url))["rows"]
        if rows != [dict(rows[0], name="<Рыбак>", score=987650, verified=False)]:
            print("FAILED: unexpected rows:", rows)
            return 1
        print("passed: the world table shows the submitted score, unverified")
        return 0
    finally:
        service.terminate()
        try:
            service.wait(timeout=10)
        except subprocess.TimeoutExpired:
            service.kill()
            service.wait()
        log.close()


def run_silent(a):
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    held = []
    stop = threading.Event()

    def accept():
        listener.settimeout(0.1)
        while not stop.is_set():
            try:
                conn, _ = listener.accept()
                held.append(conn)  # read nothing, answer nothing
            except socket.timeout:
                pass

    t = threading.Thread(target=accept)
    t.start()
    try:
        base = "http://127.0.0.1:%d" % listener.getsockname()[1]
        started = time.monotonic()
        run = subprocess.run([a.runner, "--appdir", a.work, "--score-service", base, a.script],
                             timeout=120)
        print("script took %.1f s with a silent service" % (time.monotonic() - started))
        if run.returncode != 0:
            print("FAILED: the script ended with %d" % run.returncode)
            return 1
        if not held:
            print("FAILED: the game never connected")
            return 1
        print("passed: the game gave up on a silent service")
        return 0
    finally:
        stop.set()
        t.join()
        for c in held:
            c.close()
        listener.close()


if __name__ == "__main__":
    sys.exit(main())
