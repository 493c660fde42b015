#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Brivane beside KBounce (Debian's kbounce) on private X servers, the way a player meets them.

  play      20 s of level-1 play, both games at once, each on its own X server with the same
            pointer path: CPU ticks (utime + stime from /proc/PID/stat) and resident memory
  level100  a level-100 replay in Brivane's window: CPU as a percentage of one core over 20 s
  startup   time from starting the program to its main window being mapped, alternating games
  paused    Brivane alone: 20 s of level-1 play, then 20 s paused with P: CPU as a percentage
            of one core (from /proc/PID/task/*/schedstat, nanoseconds) and wake-ups

A benchmark, not a test: figures depend on the machine and its load, so run it when the machine
is quiet and compare the games only within one run.

  bench/desktop_bench.py [play|level100|startup|paused|all] [--rounds N] [--brivane PATH]
                         [--floor [PATH]] [--floor-squares N]

With --floor, play also runs brivane_qt_floor (bench/qt_floor): a Qt Widgets program that does
nothing but present N moving 16-pixel squares every 16 ms under the same pointer, the least any
Qt Widgets game pays on that display.

Needs Xvfb, xdotool and kbounce (installed with apt-get when missing).
"""
import argparse
import ctypes
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
KBOUNCE = "/usr/games/kbounce"
TICKS = os.sysconf("SC_CLK_TCK")
PLAY_SECONDS = 20


def ensure_tools():
    missing = [p for p, exe in (("kbounce", KBOUNCE), ("xvfb", "/usr/bin/Xvfb"),
                                ("xdotool", "/usr/bin/xdotool"),
                                ("dbus", "/usr/bin/dbus-daemon")) if not os.path.exists(exe)]
    if missing:
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.run(sudo + ["apt-get", "install", "-y"] + missing, check=True)


class XServer:
    """A private Xvfb with its own pointer, so two games can be played at the same time."""

    def __init__(self):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            self.display = ":" + f.readline().strip()

    def close(self):
        self.proc.terminate()
        self.proc.wait()


class MapWatch:
    """Waits for a top-level window to be mapped on a display, through Xlib's own events."""

    MAP_NOTIFY = 19
    SUBSTRUCTURE_NOTIFY_MASK = 1 << 19

    class MapEvent(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                    ("override_redirect", ctypes.c_int), ("pad", ctypes.c_long * 24)]

    def __init__(self, display):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for name in ("XDefaultRootWindow", "XPending", "XConnectionNumber", "XCloseDisplay"):
            getattr(self.x, name).argtypes = [ctypes.c_void_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.dpy = self.x.XOpenDisplay(display.encode())
        root = self.x.XDefaultRootWindow(self.dpy)
        self.x.XSelectInput(self.dpy, root, self.SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XSync(self.dpy, 1)

    def wait_mapped(self, timeout):
        end = time.monotonic() + timeout
        fd = self.x.XConnectionNumber(self.dpy)
        ev = self.MapEvent()
        while time.monotonic() < end:
            while self.x.XPending(self.dpy):
                self.x.XNextEvent(self.dpy, ctypes.byref(ev))
                if ev.type == self.MAP_NOTIFY and not ev.override_redirect:
                    return time.monotonic()
            select.select([fd], [], [], max(0.0, end - time.monotonic()))
        return None

    def close(self):
        self.x.XCloseDisplay(self.dpy)


def game_env(display, home, dbus):
    env = dict(os.environ, DISPLAY=display, HOME=home, XDG_RUNTIME_DIR=os.path.join(home, "run"),
               DBUS_SESSION_BUS_ADDRESS=dbus)
    env.pop("QT_QPA_PLATFORM", None)
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    return env


def start_dbus():
    proc = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                            stdout=subprocess.PIPE, text=True)
    return proc, proc.stdout.readline().strip()


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def memory_kib(pid, key):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return 0


def window_of(display, pid):
    for _ in range(50):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                             env=dict(os.environ, DISPLAY=display), capture_output=True,
                             text=True).stdout.split()
        if out:
            return out[0]
        time.sleep(0.1)
    raise RuntimeError(f"no window for pid {pid} on {display}")


def pointer_path(wid, seconds):
    """The same loops for both games: circles of 110 pixels whose centre drifts slowly."""
    import math
    args = []
    steps = int(seconds / 0.02)
    for k in range(steps):
        t = k * 0.02
        cx = 300 + 90 * math.sin(t / 3.0)
        cy = 260 + 50 * math.cos(t / 4.0)
        a = t * 2 * math.pi / 1.6
        args += ["mousemove", "--window", wid, str(int(cx + 110 * math.cos(a))),
                 str(int(cy + 110 * math.sin(a))), "sleep", "0.02"]
    return args


class Game:
    def __init__(self, name, argv, server, home, dbus):
        self.name = name
        self.server = server
        env = game_env(server.display, home, dbus)
        self.watch = MapWatch(server.display)
        self.started = time.monotonic()
        self.proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def wait_window(self):
        mapped = self.watch.wait_mapped(30)
        self.watch.close()
        if mapped is None:
            raise RuntimeError(f"{self.name}: no window within 30 s")
        self.wid = window_of(self.server.display, self.proc.pid)
        return (mapped - self.started) * 1000.0

    def stop(self):
        self.proc.send_signal(signal.SIGKILL)
        self.proc.wait()


def thread_cpu(pid):
    """Per thread: nanoseconds on a CPU and how often it was switched out."""
    threads = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                ns = int(f.read().split()[0])
            with open(f"/proc/{pid}/task/{task}/status") as f:
                switches = sum(int(line.split()[1]) for line in f
                               if line.startswith(("voluntary_ctxt", "nonvoluntary_ctxt")))
            threads[task] = (ns, switches)
        except FileNotFoundError:  # a thread that ended meanwhile
            pass
    return threads


def thread_cpu_since(pid, before):
    """CPU seconds and switches since `before`, over the threads alive now (an idle worker
    thread that ends meanwhile takes its few microseconds with it)."""
    now = thread_cpu(pid)
    ns = sum(v[0] - before.get(t, (0, 0))[0] for t, v in now.items())
    switches = sum(v[1] - before.get(t, (0, 0))[1] for t, v in now.items())
    return ns / 1e9, switches


def summary(values, unit, digits=1):
    return (f"median {statistics.median(values):.{digits}f} {unit}, range "
            f"{min(values):.{digits}f} to {max(values):.{digits}f} ({len(values)} runs)")


def play(args, tmp, dbus):
    programs = [("Brivane", [args.brivane, "--nomusic"]), ("KBounce", [KBOUNCE])]
    if args.floor:
        programs.append(("Qt floor", [args.floor, str(args.floor_squares)]))
    results = {name: [] for name, _ in programs}
    memory = {name: [] for name, _ in programs}
    for rnd in range(args.rounds):
        servers = [XServer() for _ in programs]
        games = []
        try:
            for (name, argv), server in zip(programs, servers):
                games.append(Game(name, argv, server,
                                  os.path.join(tmp, name.split()[0].lower() + "-home"), dbus))
            for g in games:
                g.wait_window()
            time.sleep(2)
            for g in games:  # KBounce starts its game on a click; Brivane ignores a left click
                subprocess.run(["xdotool", "mousemove", "--window", g.wid, "300", "260", "click",
                                "1"], env=dict(os.environ, DISPLAY=g.server.display), check=True)
            drivers = [subprocess.Popen(["xdotool"] + pointer_path(g.wid, PLAY_SECONDS),
                                        env=dict(os.environ, DISPLAY=g.server.display))
                       for g in games]
            before = [cpu_ticks(g.proc.pid) for g in games]
            time.sleep(PLAY_SECONDS)
            after = [cpu_ticks(g.proc.pid) for g in games]
            for g, b, a in zip(games, before, after):
                results[g.name].append(a - b)
                memory[g.name].append(memory_kib(g.proc.pid, "VmRSS") / 1024.0)
            for d in drivers:
                d.kill()
                d.wait()
            print(f"round {rnd + 1}: " + ", ".join(
                f"{g.name} {results[g.name][-1]} ticks {memory[g.name][-1]:.1f} MB"
                for g in games), flush=True)
        finally:
            for g in games:
                g.stop()
            for s in servers:
                s.close()
    print(f"Level-1 play, {PLAY_SECONDS} s, CPU ticks at {TICKS} Hz (all at once):")
    for name in results:
        print(f"  {name}: {summary(results[name], 'ticks')}; resident "
              f"{summary(memory[name], 'MB')}")
    for name in results:
        if name != "KBounce":
            ratios = [b / k for b, k in zip(results[name], results["KBounce"]) if k]
            if ratios:
                print(f"  {name} / KBounce per round: {summary(ratios, 'x')}")


def level100(args, tmp, dbus):
    replay = os.path.join(tmp, "level100.replay")
    passes = (PLAY_SECONDS + 10) * 1000 // 16
    with open(replay, "w") as f:
        f.write("brivane-replay 1\nseed 100\nhighlevel 100\npass 1 16\n"
                f"at 2 menu mnuFileJumpLevel 100\npass {passes} 16\n")
    percents = []
    for rnd in range(args.rounds):
        server = XServer()
        game = Game("Brivane", [args.brivane, "--replay", replay], server,
                    os.path.join(tmp, "brivane-home"), dbus)
        try:
            game.wait_window()
            time.sleep(2)
            before = cpu_ticks(game.proc.pid)
            time.sleep(PLAY_SECONDS)
            percents.append((cpu_ticks(game.proc.pid) - before) * 100.0 / TICKS / PLAY_SECONDS)
            print(f"round {rnd + 1}: {percents[-1]:.1f} % of a core", flush=True)
        finally:
            game.stop()
            server.close()
    print(f"Level-100 replay in the window, {PLAY_SECONDS} s: {summary(percents, '% of a core')}")


def paused(args, tmp, dbus):
    figures = {"playing": [], "paused": []}
    wakes = {"playing": [], "paused": []}
    for rnd in range(args.rounds):
        server = XServer()
        game = Game("Brivane", [args.brivane, "--nomusic"], server,
                    os.path.join(tmp, "brivane-home"), dbus)
        env = dict(os.environ, DISPLAY=server.display)
        try:
            game.wait_window()
            subprocess.run(["xdotool", "windowfocus", "--sync", game.wid], env=env, check=True)
            time.sleep(2)
            driver = subprocess.Popen(["xdotool"] + pointer_path(game.wid, PLAY_SECONDS + 2),
                                      env=env)
            for state in ("playing", "paused"):
                if state == "paused":
                    driver.kill()
                    driver.wait()
                    subprocess.run(["xdotool", "key", "p"], env=env, check=True)
                time.sleep(1)
                before = thread_cpu(game.proc.pid)
                ticks = cpu_ticks(game.proc.pid)
                time.sleep(PLAY_SECONDS)
                seconds, switches = thread_cpu_since(game.proc.pid, before)
                figures[state].append(seconds * 100.0 / PLAY_SECONDS)
                wakes[state].append(switches / PLAY_SECONDS)
                ticks = cpu_ticks(game.proc.pid) - ticks
                print(f"  {state}: {ticks} ticks at {TICKS} Hz", flush=True)
            print(f"round {rnd + 1}: playing {figures['playing'][-1]:.2f} %, paused "
                  f"{figures['paused'][-1]:.4f} % of a core", flush=True)
        finally:
            game.stop()
            server.close()
    print(f"Level 1 in the window, {PLAY_SECONDS} s each:")
    for state in figures:
        print(f"  {state}: {summary(figures[state], '% of a core', 4)}; "
              f"{summary(wakes[state], 'thread switches/s')}")


def startup(args, tmp, dbus):
    times = {"Brivane": [], "KBounce": []}
    server = XServer()
    try:
        for rnd in range(args.rounds + 1):  # the first round warms the disk cache; not counted
            for name, argv in (("Brivane", [args.brivane, "--nomusic"]), ("KBounce", [KBOUNCE])):
                game = Game(name, argv, server, os.path.join(tmp, name.lower() + "-home"), dbus)
                try:
                    ms = game.wait_window()
                finally:
                    game.stop()
                if rnd > 0:
                    times[name].append(ms)
    finally:
        server.close()
    print("Start to a mapped main window:")
    for name in times:
        print(f"  {name}: {summary(times[name], 'ms')}")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("what", nargs="?", default="all",
                        choices=["play", "level100", "startup", "paused", "all"])
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--brivane", default=os.path.join(HERE, "..", "build", "release", "bin",
                                                          "brivane"))
    parser.add_argument("--floor", nargs="?", const="", default=None,
        help="with play: also play bench/qt_floor (a Qt Widgets program that only presents "
             "moving squares) beside the games; its path, or brivane_qt_floor beside Brivane")
    parser.add_argument("--floor-squares", type=int, default=40)
    args = parser.parse_args()
    args.brivane = os.path.abspath(args.brivane)
    if args.floor is not None:
        args.floor = os.path.abspath(args.floor or os.path.join(os.path.dirname(args.brivane),
                                                                "brivane_qt_floor"))
        if not os.access(args.floor, os.X_OK):
            sys.exit(f"{args.floor} is missing: it is built with the benchmarks")
    if not os.access(args.brivane, os.X_OK):
        sys.exit(f"{args.brivane} is missing: build it first (cmake --preset release && "
                 "cmake --build --preset release)")
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # so a timeout still stops the X servers
    ensure_tools()
    tmp = tempfile.mkdtemp(prefix="brivane-bench-")
    bus, address = start_dbus()  # KBounce, a KDE program, quits without a session bus
    try:
        print(os.popen("uptime").read().strip())
        for what, run in (("play", play), ("level100", level100), ("startup", startup),
                          ("paused", paused)):
            if args.what in (what, "all"):
                run(args, tmp, address)
    finally:
        bus.terminate()
        bus.wait()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
