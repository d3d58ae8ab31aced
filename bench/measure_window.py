#!/usr/bin/env python3
"""Measures the real game in a window beside a bare SDL program, in one run.

Starts its own Xvfb and, for a few rounds, runs the bare reference program
(chompo-bare-window) with each of its ways of drawing and every game given,
each on its own, and prints the medians and spreads of:

  start-up      from starting the program to its first picture shown
  peak memory   the most resident memory it had (VmHWM)
  CPU           processor time as a share of one core, all threads, on the
                attract screen between its steps, the title and in play (the
                bare program: showing its picture every 17 ms)
  wake-ups      voluntary context switches a second, all threads
  presents      intervals between pictures shown during play (ms)
  gates         games that write CHOMPO_TIMING_LOG: the share of play's
                frames whose gate opened at the very clock reading its bound
                names (frames after a sleep of the game's own not counted),
                and how long after the bound's millisecond began the game
                read the clock that opened it

and each game's figures as ratios of the bare program's. Pictures are timed
from outside, by preloading chompo-present-log into every program.

A game is a program with its data folder beside it (as in a build folder):

  bench/measure_window.py [--build DIR] [--rounds N] [--game NAME=PATH]...

--build (default build) holds chompo-bare-window and the preloaded library
(bench/) and, unless --game is given, the game (chompo). Build them with
  cmake --build build --target chompo chompo_data chompo-bare-window chompo-present-log
The game runs windowed from a fresh home folder, without input on the
attract screen and the title, then Space starts a stage and it plays on its
own. The machine's load is printed with each round: figures from a busy
machine spread widely, which is why every program runs in every round.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

DRAWINGS = ["surface", "software", "opengl"]
# Windows of each run, in seconds after the first picture. The attract
# screen reveals its table for 15.3 s, chases for about 2.2 s, then the
# title waits 30 s; Space there starts a stage, which shows "START!!" for 5 s.
GAME_WINDOWS = {"attract": (1.0, 13.0), "title": (20.0, 30.0), "play": (37.0, 47.0)}
SPACE_AT = 31.0
BARE_SECONDS = 13.0
BARE_WINDOW = (1.0, 11.0)


def monotonic_ns():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC)


def load():
    with open("/proc/loadavg") as f:
        return f.read().split()[0]


def threads_stat(pid):
    """CPU ns and voluntary context switches, summed over the threads."""
    cpu = 0
    switches = 0
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except FileNotFoundError:
        return None
    for task in tasks:
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                cpu += int(f.read().split()[0])
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        switches += int(line.split()[1])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return cpu, switches


def peak_rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return None


def read_log(path, kind):
    values = []
    if not os.path.exists(path):
        return values
    with open(path) as f:
        for line in f:
            parts = line.split()
            if parts and parts[0] == kind:
                values.append([int(p) for p in parts[1:]])
    return values


def wait_first(log, process, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        first = read_log(log, "first")
        if first:
            return first[0][0]
        if process.poll() is not None:
            return None
        time.sleep(0.002)
    return None


def sleep_until(ns):
    left = (ns - monotonic_ns()) / 1e9
    if left > 0:
        time.sleep(left)


def percentile(values, share):
    ordered = sorted(values)
    if not ordered:
        return float("nan")
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def window_figures(pid, first, span, log, figures, name):
    """CPU share and wake-ups a second over span, sampled while it passes."""
    sleep_until(first + int(span[0] * 1e9))
    before = threads_stat(pid)
    start = monotonic_ns()
    sleep_until(first + int(span[1] * 1e9))
    after = threads_stat(pid)
    wall = monotonic_ns() - start
    if before is None or after is None:
        return
    figures[f"cpu {name} %"] = 100.0 * (after[0] - before[0]) / wall
    figures[f"wake-ups {name} /s"] = (after[1] - before[1]) / (wall / 1e9)


def present_figures(log, first, span, figures):
    pictures = [p[0] for p in read_log(log, "picture")]
    low, high = first + int(span[0] * 1e9), first + int(span[1] * 1e9)
    shown = [p for p in pictures if low <= p <= high]
    gaps = [(b - a) / 1e6 for a, b in zip(shown, shown[1:])]
    if not gaps:
        return
    figures["presents a second"] = len(gaps) / ((shown[-1] - shown[0]) / 1e9)
    figures["present interval p50 ms"] = percentile(gaps, 0.50)
    figures["present interval p95 ms"] = percentile(gaps, 0.95)
    figures["present interval p99 ms"] = percentile(gaps, 0.99)
    figures["present interval max ms"] = max(gaps)


def run_start(command, env, figures, folder):
    """Start-up and memory only: the program runs a second past its first picture."""
    log = os.path.join(folder, f"start-{len(os.listdir(folder))}.log")
    env = dict(env, CHOMPO_PRESENT_LOG=log)
    spawned = monotonic_ns()
    process = subprocess.Popen(command, env=env, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    first = wait_first(log, process)
    if first is not None:
        figures["start-up ms"] = (first - spawned) / 1e6
        sleep_until(first + 1000000000)
        figures["peak memory MB"] = peak_rss_mb(process.pid)
    process.terminate()
    process.wait()
    return first is not None


def start_program(command, env, folder, log, figures):
    """Starts a program and waits for its first picture, noting the start-up
    time; (None, None) when no picture came."""
    spawned = monotonic_ns()
    process = subprocess.Popen(command, env=env, cwd=folder, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    first = wait_first(log, process)
    if first is None:
        process.kill()
        process.wait()
        return None, None
    figures["start-up ms"] = (first - spawned) / 1e6
    return process, first


def run_bare(build, drawing, env, figures):
    # A log of its own each round: an old one would give an old first picture.
    log = os.path.join(tempfile.mkdtemp(dir=env["CHOMPO_MEASURE_DIR"]), f"bare-{drawing}.log")
    env = dict(env, CHOMPO_PRESENT_LOG=log)
    program = os.path.join(build, "bench", "chompo-bare-window")
    process, first = start_program([program, "--draw", drawing, "--seconds", str(BARE_SECONDS)], env, None,
                                   log, figures)
    if process is None:
        return False
    window_figures(process.pid, first, BARE_WINDOW, log, figures, "17 ms loop")
    figures["peak memory MB"] = peak_rss_mb(process.pid)
    process.wait()
    present_figures(log, first, BARE_WINDOW, figures)
    return True


def run_game(path, env, figures):
    folder = tempfile.mkdtemp(dir=env["CHOMPO_MEASURE_DIR"])
    log = os.path.join(folder, "present.log")
    timing = os.path.join(folder, "timing.log")
    home = os.path.join(folder, "home")
    os.makedirs(home)
    env = dict(env, CHOMPO_PRESENT_LOG=log, CHOMPO_TIMING_LOG=timing, HOME=home,
               XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_DATA_HOME=os.path.join(home, "data"))
    for variable in ("CHOMPO_WINDOWED", "CHOMPO_SOFTWARE", "CHOMPO_DATA", "SDL_RENDER_DRIVER"):
        env.pop(variable, None)
    process, first = start_program([path, "--windowed"], env, folder, log, figures)
    if process is None:
        return False
    window_figures(process.pid, first, GAME_WINDOWS["attract"], log, figures, "attract")
    window_figures(process.pid, first, GAME_WINDOWS["title"], log, figures, "title")
    sleep_until(first + int(SPACE_AT * 1e9))
    plain = {k: v for k, v in env.items() if k != "LD_PRELOAD"}
    subprocess.run(["xdotool", "key", "space"], env=plain, check=False)
    window_figures(process.pid, first, GAME_WINDOWS["play"], log, figures, "play")
    figures["peak memory MB"] = peak_rss_mb(process.pid)
    process.terminate()
    process.wait()
    present_figures(log, first, GAME_WINDOWS["play"], figures)
    low, high = first + int(GAME_WINDOWS["play"][0] * 1e9), first + int(GAME_WINDOWS["play"][1] * 1e9)
    # A frame is on time when its gate opened at the clock reading the
    # game's bound names (17 ms after the last), unless the game slept or
    # waited for input meanwhile (a new stage, a ghost eaten: it counts from
    # the frame before the last, so a sleep inside a frame counts too).
    frames = [f for f in read_log(timing, "frame")]
    pauses = [p[0] for p in read_log(timing, "sleep") + read_log(timing, "wait")]
    counted = on_time = 0
    for before, last, frame in zip(frames, frames[1:], frames[2:]):
        if not low <= frame[0] <= high or any(before[0] < p < frame[0] for p in pauses):
            continue
        counted += 1
        on_time += frame[1] - last[1] == 17
    if counted:
        figures["frames at their bound %"] = 100.0 * on_time / counted
    late = [g[1] / 1e6 for g in read_log(timing, "gate") if low <= g[0] <= high]
    if late:
        figures["gates within 1 ms %"] = 100.0 * sum(1 for g in late if g < 1.0) / len(late)
        figures["gate lateness p50 ms"] = percentile(late, 0.50)
        figures["gate lateness p99 ms"] = percentile(late, 0.99)
        figures["gate lateness max ms"] = max(late)
    return True


def start_display():
    reader, writer = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(writer), "-screen", "0", "1280x1024x24", "-nolisten",
                               "tcp"], pass_fds=[writer], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(writer)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(reader, 16)
        if not chunk:
            raise SystemExit("Xvfb did not start")
        number += chunk
    os.close(reader)
    return server, ":" + number.decode().strip()


def summary(runs):
    """name -> (median, low, high) over the runs that have it."""
    names = []
    for run in runs:
        for name in run:
            if name not in names:
                names.append(name)
    result = {}
    for name in names:
        values = [run[name] for run in runs if name in run and run[name] is not None]
        if values:
            result[name] = (statistics.median(values), min(values), max(values))
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--game", action="append", default=[], metavar="NAME=PATH")
    parser.add_argument("--start-only", action="store_true",
                        help="start-up and memory only, each program stopped a second after its first picture")
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    games = []
    for item in options.game or [f"game={os.path.join(build, 'chompo')}"]:
        name, _, path = item.partition("=")
        games.append((name, os.path.abspath(path)))
    library = os.path.join(build, "bench", "libchompo-present-log.so")
    for needed in [library, os.path.join(build, "bench", "chompo-bare-window")] + [p for _, p in games]:
        if not os.path.exists(needed):
            raise SystemExit(f"measure_window: {needed} is missing (see --help)")
    for name, path in games:
        if not (os.path.isfile(path) and os.access(path, os.X_OK)):
            raise SystemExit(f"measure_window: --game {name}={path} names no program (a build's chompo, its data beside it)")
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            raise SystemExit(f"measure_window: {tool} is missing (apt-get install xvfb xdotool)")

    work = tempfile.mkdtemp(prefix="measure-window-")
    server, display = start_display()
    env = dict(os.environ, DISPLAY=display, LD_PRELOAD=library, CHOMPO_MEASURE_DIR=work)
    env.pop("WAYLAND_DISPLAY", None)
    env.pop("SDL_AUDIODRIVER", None)
    results = {f"bare {d}": [] for d in DRAWINGS}
    results.update({name: [] for name, _ in games})
    loads = []
    try:
        for round_number in range(options.rounds):
            loads.append(load())
            print(f"round {round_number + 1} of {options.rounds}, load {loads[-1]}", file=sys.stderr)
            for drawing in DRAWINGS:
                figures = {}
                if options.start_only:
                    bare = [os.path.join(build, "bench", "chompo-bare-window"), "--draw", drawing]
                    done = run_start(bare, env, figures, work)
                else:
                    done = run_bare(build, drawing, env, figures)
                if done:
                    results[f"bare {drawing}"].append(figures)
            for name, path in games:
                figures = {}
                if options.start_only:
                    home = tempfile.mkdtemp(dir=work)
                    done = run_start([path, "--windowed"], dict(env, HOME=home, XDG_CONFIG_HOME=home,
                                                                XDG_DATA_HOME=home), figures, work)
                else:
                    done = run_game(path, env, figures)
                if done:
                    results[name].append(figures)
            loads.append(load())
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)

    print(f"{options.rounds} rounds; load (1 min) during them: {', '.join(loads)}")
    summaries = {name: summary(runs) for name, runs in results.items() if runs}
    names = []
    for figures in summaries.values():
        for name in figures:
            if name not in names:
                names.append(name)
    columns = list(summaries)
    print(f"{'median [low-high]':28}" + "".join(f"{c:>26}" for c in columns))
    for name in names:
        row = f"{name:28}"
        for column in columns:
            value = summaries[column].get(name)
            row += f"{'':>26}" if value is None else f"{f'{value[0]:.1f} [{value[1]:.1f}-{value[2]:.1f}]':>26}"
        print(row)
    print()
    print("the games as ratios of the bare program's medians (CPU: against its 17 ms loop)")
    for game, _ in games:
        if game not in summaries:
            continue
        for drawing in DRAWINGS:
            bare = summaries.get(f"bare {drawing}")
            if bare is None:
                continue
            parts = []
            for name, bare_name in [("start-up ms", "start-up ms"), ("peak memory MB", "peak memory MB"),
                                    ("cpu play %", "cpu 17 ms loop %"), ("cpu title %", "cpu 17 ms loop %"),
                                    ("wake-ups play /s", "wake-ups 17 ms loop /s"),
                                    ("present interval p99 ms", "present interval p99 ms")]:
                mine = summaries[game].get(name)
                theirs = bare.get(bare_name)
                if mine and theirs and theirs[0] > 0:
                    parts.append(f"{name.rsplit(' ', 1)[0]} {mine[0] / theirs[0]:.2f}")
            print(f"  {game} / bare {drawing}: " + ", ".join(parts))


if __name__ == "__main__":
    main()
