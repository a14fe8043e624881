#!/usr/bin/env python3
"""Saves that survive a kill, and two saves at once, tried with save_loop.

  save_trials.py PROGRAM [--wine] [--kills N] [--two-savers N] [--files F,...]

PROGRAM is the save_loop program of a build (save_loop.exe with --wine, run under Wine), saving
into a folder "Wache Süd" of a fresh temporary folder.

Kill trial (per file): the program saves in a loop and is killed with kill -9 at a random moment,
N times (DRAVEL_KILLS, default 300); every tenth round starts in an empty folder, so that first
saves are killed too. After each kill the file must be intact (whole, its foreign part included),
not missing (a first save killed before the file existed is counted apart) nor torn; other files
in the folder are counted as left behind, and a complete ".new" copy beside the file as stale: a
read after the file was deleted would bring that never-saved state back. Every save keeps the
content it replaces in the folder "Verlauf": after each kill every state kept there must be whole,
with its description. The next round's first read must find a whole file. At the end one clean
save must leave the file and its history and nothing else.

Two savers (per file): two programs save the same file N times each at once (DRAVEL_TWO_SAVERS,
default 500); no save may fail, no read may find a torn file and every kept state must be whole.
Exits with 1 on any fault.
"""
import argparse
import collections
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

FOLDER = "Wache Süd"
FOREIGN_KEYS = 150
RUN_KEYS = 40
RECORDS = 100
RECORD_SIZE = 1280
FRESH_EVERY = 10
READY_TIMEOUT = 60
MAX_FAILED_STARTS = 5
LONGEST_DELAY = 0.4  # seconds after the program runs: many saves of either file
FIRST_SAVE_DELAY = 0.05  # fresh rounds: mostly within the first save


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class Program:
    def __init__(self, path, wine):
        self.path = path
        self.wine = wine

    def start(self, parent, file_name, saves, ready=None, output=subprocess.DEVNULL):
        args = [windows_path(parent) if self.wine else parent, file_name, str(saves)]
        if ready:
            args.append(windows_path(ready) if self.wine else ready)
        command = (["wine", self.path] if self.wine else [self.path]) + args
        return subprocess.Popen(command, stdout=output, stderr=subprocess.STDOUT)


def prog_ini_state(data):
    text = data.decode("cp1252", errors="replace")
    foreign = sum(
        1 for i in range(1, FOREIGN_KEYS + 1)
        if f"Eintrag{i:03d}=Wert {i:03d} für Kalvor\r\n" in text)
    steps = re.findall(r"^Schritt\d\d=(\d+)\r$", text, re.MULTILINE)
    whole = foreign == FOREIGN_KEYS and len(steps) == RUN_KEYS and len(set(steps)) == 1
    return "intact" if whole else "torn"


def condition_list_state(data):
    if len(data) != RECORDS * RECORD_SIZE:
        return "torn"
    generations = set()
    for i in range(RECORDS):
        field = data[i * RECORD_SIZE + 512:i * RECORD_SIZE + 768]
        text = field[1:1 + field[0]].decode("cp1252")
        match = re.fullmatch(rf"Eintrag {i:03d} Lauf (\d+)", text)
        if not match:
            return "torn"
        generations.add(match.group(1))
    return "intact" if len(generations) == 1 else "torn"


STATES = {"Prog.ini": prog_ini_state, "Alarmierung.dat": condition_list_state}
HISTORY = "Verlauf"
KEPT_STATE = re.compile(r"\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.\d{3}_(Prog\.ini|Alarmierung\.dat)")
DESCRIPTION = re.compile(r"Datei=(.+)\r\nBenutzer=.*\r\nBefehl=.*\r\nGeschrieben=[0-9a-f]{16}\r\n"
                         r"Ausserhalb=(ja|nein)\r\n")


def history_states(folder):
    """The kept states' names, the torn ones among them (a copy or a description not whole), and
    the other names in the history folder."""
    history = os.path.join(folder, HISTORY)
    names = sorted(os.listdir(history)) if os.path.isdir(history) else []
    states, torn, others = [], [], []
    for name in names:
        path = os.path.join(history, name)
        match = KEPT_STATE.fullmatch(name)
        if match:
            states.append(name)
            with open(path, "rb") as f:
                whole = STATES[match.group(1)](f.read()) == "intact"
            description = path + ".txt"
            if os.path.exists(description):  # a kill between the copy and its description
                with open(description, "rb") as f:
                    said = DESCRIPTION.fullmatch(f.read().decode("utf-8", errors="replace"))
                whole = whole and said is not None and said.group(1) == match.group(1)
            if not whole:
                torn.append(name)
        elif not (name.endswith(".txt") and KEPT_STATE.fullmatch(name[:-4])):
            others.append(name)
    return states, torn, others


def file_state(folder, file_name):
    path = os.path.join(folder, file_name)
    if not os.path.exists(path):
        return "missing"
    with open(path, "rb") as f:
        return STATES[file_name](f.read())


def is_rf(name):
    return re.fullmatch(r"rf.*\.tmp", name, re.IGNORECASE)


def kind_of(name):
    """A leftover's name with its random part as "*"."""
    return "rf*.tmp" if is_rf(name) else re.sub(r"\.(tmp|new)[0-9a-f-]+$", r".\1*", name)


def stale_copies(folder, file_name, others):
    """Complete copies beside a file that is there: never its content, out of date."""
    if not os.path.exists(os.path.join(folder, file_name)):
        return 0
    return sum(1 for n in others if n.startswith(file_name + ".new"))


def others_in(folder, file_name):
    return sorted(n for n in os.listdir(folder) if n not in (file_name, HISTORY))


def empty(folder):
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        path = os.path.join(folder, name)
        shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)


def wait_for(path, process):
    deadline = time.monotonic() + READY_TIMEOUT
    while not os.path.exists(path):
        if process.poll() is not None or time.monotonic() > deadline:
            return False
        time.sleep(0.005)
    return True


def kill_trial(program, work, file_name, kills):
    folder = os.path.join(work, FOLDER)
    empty(folder)
    counts = collections.Counter()  # the file's states after a kill, and the rounds' mishaps
    round_number = 0
    left_names, rf_files = set(), set()
    started = time.monotonic()
    ready, output_path = os.path.join(work, "ready"), os.path.join(work, "saver.log")
    while round_number < kills:
        fresh = round_number % FRESH_EVERY == 0
        if fresh:
            empty(folder)
        # After a killed first save the next round may start without the file, too.
        existed = os.path.exists(os.path.join(folder, file_name))
        if os.path.exists(ready):
            os.remove(ready)
        with open(output_path, "wb") as output:
            process = program.start(work, file_name, 0, ready, output)
        if not wait_for(ready, process):
            if process.poll() == 3:
                counts["unwhole"] += 1
                print(f"  round {round_number}: the program read a file that was not whole")
                empty(folder)
                round_number += 1
                continue
            process.kill()
            process.wait()
            with open(output_path, "rb") as said:
                printed = said.read().decode("utf-8", errors="replace")[-2000:]
            # The ready mark comes before the first save, so a program that ends before it never
            # saved: Wine now and then fails to start one. Such a round is run again, and counted.
            counts["failed starts"] += 1
            print(f"  round {round_number}: the saving program did not start "
                  f"(exit {process.poll()}) {printed.strip()}")
            if counts["failed starts"] > MAX_FAILED_STARTS:
                sys.exit(f"{file_name}: the saving program failed to start {counts['failed starts']} times")
            continue
        time.sleep(random.uniform(0, FIRST_SAVE_DELAY if fresh else LONGEST_DELAY))
        os.kill(process.pid, signal.SIGKILL)
        code = process.wait()
        if code == 3:  # ended by itself before the kill: it read a file that was not whole
            counts["unwhole"] += 1
        state = file_state(folder, file_name)
        counts["first save" if not existed and state == "missing" else state] += 1
        states, torn, _ = history_states(folder)
        counts["states checked"] += len(states)
        counts["torn states"] += len(torn)
        if torn:
            print(f"  round {round_number}: torn kept states {', '.join(torn[:3])}")
        others = others_in(folder, file_name)
        counts["left"] += bool(others)
        counts["stale"] += stale_copies(folder, file_name, others)
        left_names.update(kind_of(n) for n in others)
        rf_files.update(n for n in others if is_rf(n))
        round_number += 1
    seconds = time.monotonic() - started
    clean_code = program.start(work, file_name, 1).wait()
    after_clean = others_in(folder, file_name)
    clean_state = file_state(folder, file_name)
    states, torn, history_left = history_states(folder)
    print(f"{file_name}: {kills} kills in {seconds:.0f} s: intact {counts['intact']}, "
          f"missing {counts['missing']}, torn {counts['torn']} "
          f"(first saves killed before the file existed: {counts['first save']}); "
          f"reads that found a file not whole: {counts['unwhole']}; "
          f"failed starts: {counts['failed starts']}")
    print(f"  left behind after {counts['left']} kills: {', '.join(sorted(left_names)) or 'nothing'}"
          f" ({len(rf_files)} different rf*.tmp); stale complete copies beside the file: "
          f"{counts['stale']}")
    print(f"  kept states: {counts['states checked']} checked after the kills, "
          f"{counts['torn states']} torn")
    print(f"  one clean save: exit {clean_code}, file {clean_state}, left: "
          f"{', '.join(after_clean) or 'nothing'}; history: {len(states)} states, {len(torn)} torn, "
          f"left: {', '.join(sorted(set(kind_of(n) for n in history_left))) or 'nothing'}")
    return (counts["missing"] == 0 and counts["torn"] == 0 and counts["unwhole"] == 0
            and counts["stale"] == 0 and counts["torn states"] == 0 and clean_code == 0
            and clean_state == "intact" and not after_clean and not torn and not history_left)


def two_savers(program, work, file_name, saves):
    folder = os.path.join(work, FOLDER)
    empty(folder)
    started = time.monotonic()
    logs = [tempfile.TemporaryFile(dir=work) for _ in range(2)]
    processes = [program.start(work, file_name, saves, output=log) for log in logs]
    codes = [p.wait() for p in processes]
    seconds = time.monotonic() - started
    reports, failures = [], collections.Counter()
    for log in logs:
        log.seek(0)
        lines = log.read().decode("utf-8", errors="replace").splitlines()
        reports.append(lines[-1] if lines else "no output")
        failures.update(lines[:-1])
    state = file_state(folder, file_name)
    left = others_in(folder, file_name)
    states, torn, history_left = history_states(folder)
    print(f"{file_name}: two savers, {saves} saves each, in {seconds:.0f} s: "
          f"{' / '.join(reports)}; file {state}, left: {', '.join(left) or 'nothing'}; "
          f"history: {len(states)} states, {len(torn)} torn, left: {len(history_left)}")
    if codes != [0, 0]:
        print(f"  exit codes {codes[0]} and {codes[1]}")
    for message, count in failures.most_common(3):
        print(f"  {count} × {message}")
    return codes == [0, 0] and state == "intact" and not left and not torn and not history_left


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("--wine", action="store_true")
    parser.add_argument("--kills", type=int, default=int(os.environ.get("DRAVEL_KILLS", "300")))
    parser.add_argument("--two-savers", type=int,
                        default=int(os.environ.get("DRAVEL_TWO_SAVERS", "500")))
    parser.add_argument("--files", default="Prog.ini,Alarmierung.dat")
    options = parser.parse_args()
    program = Program(os.path.abspath(options.program), options.wine)
    good = True
    with tempfile.TemporaryDirectory(prefix="dravel-saves.") as work:
        for file_name in options.files.split(","):
            for trial, count in ((kill_trial, options.kills), (two_savers, options.two_savers)):
                if count > 0:
                    good &= trial(program, work, file_name, count)
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(main())
