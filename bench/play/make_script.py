#!/usr/bin/env python3
"""Writes play.txt, the benchmark's input: "New game", then for every shot a launch and a click at
the first frame of the flight where the sight stands on the centre of a target, found by running
the game itself with a state dump every frame. The game is deterministic for one seed, so the
benchmark replays these hits exactly.

usage: make_script.py VOR DATA_DIR [TICKS]   (run from anywhere; writes bench/play/play.txt)
"""
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SEED = "1"
WINDOW = range(20, 331)  # flight frames a shot may wait for
CENTRE = 6.0             # distance that is a centre hit for every kind of target


def run(vor, work, events, last):
    with open(os.path.join(work, "s.txt"), "w") as f:
        f.write("\n".join(events) + "\n")
    subprocess.run([vor, "--headless", "--seed", SEED, "--ticks", str(last + 1), "--script", "s.txt"],
                   cwd=work, check=True, stdout=subprocess.DEVNULL)


def click(tick):
    return [f"{tick} button 0 down", f"{tick + 1} button 0 up"]


def on_centre(state):
    if state["State"] != 3 or not state["SightActive"]:
        return False
    for t in state["Targets"]:
        if t["VISIBLE"] and t["TYPE"] not in (2, 6):
            if math.hypot(state["SightX"] - t["X"], state["SightY"] - t["Y"]) < CENTRE:
                return True
    return False


def main():
    vor, data = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    total = int(sys.argv[3]) if len(sys.argv) > 3 else 8000
    work = tempfile.mkdtemp()
    try:
        for name in os.listdir(data):
            if name != "main.lev":
                os.symlink(os.path.join(data, name), os.path.join(work, name))
        for name in ("bench.txt", "bench.list"):
            shutil.copy(os.path.join(HERE, name), work)
        subprocess.run([vor, "compile", "bench.list", "main.lev"], cwd=work, check=True)

        events = ["10 key Enter down", "11 key Enter up"]
        t = 20
        while t + WINDOW.stop < total:
            trial = events + click(t) + [f"{t + k} dump d{k}.json" for k in WINDOW]
            run(vor, work, trial, t + WINDOW.stop)
            shot, resume = None, None
            for k in WINDOW:
                with open(os.path.join(work, f"d{k}.json")) as f:
                    state = json.load(f)
                if state["State"] != 3:
                    resume = t + k + 5  # a level ended: launch again once the next one runs
                elif on_centre(state):
                    shot = t + k
                    break
            if shot is not None:
                events += click(t) + click(shot)
                t = shot + 4
            elif resume is not None:
                events += click(t)
                t = resume
            else:
                events += click(t) + click(t + WINDOW.stop)  # a miss; bullets come back with hits
                t += WINDOW.stop + 4
        events.append(f"{total} dump bench-end.json")
        with open(os.path.join(HERE, "play.txt"), "w") as f:
            f.write("# vor-script 1\n# Benchmark input, made by make_script.py: New game, then a launch"
                    " and a shot on a target's centre, again and again.\n")
            f.write("\n".join(events) + "\n")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
