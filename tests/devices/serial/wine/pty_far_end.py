#!/usr/bin/env python3
"""The far end of the serial line for the Windows serial tests under Wine.

Opens a pseudo-terminal, writes the path of its terminal side to FOLDER/terminal (Wine's COM port
is linked to it), passes every byte appended to FOLDER/send on to the line, drains what the port
sends, and keeps the line settings the port gave the terminal in FOLDER/settings as text such as
"9600 8N1" (the pair shares one set of settings, so the far end sees them).
"""
import fcntl
import os
import sys
import termios
import time

folder = sys.argv[1]
master, terminal = os.openpty()  # the terminal side stays open: no hang-up between two tests
fcntl.fcntl(master, fcntl.F_SETFL, fcntl.fcntl(master, fcntl.F_GETFL) | os.O_NONBLOCK)

rates = {getattr(termios, name): int(name[1:]) for name in dir(termios)
         if name[0] == "B" and name[1:].isdigit()}
sizes = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}


def settings_text():
    cflag, speed = termios.tcgetattr(master)[2], termios.tcgetattr(master)[5]
    # A pseudo-terminal drops the parity enable bit; the kind of parity stays.
    parity = "O" if cflag & termios.PARODD else "N"
    stop = 2 if cflag & termios.CSTOPB else 1
    return f"{rates.get(speed, 0)} {sizes[cflag & termios.CSIZE]}{parity}{stop}"


def replace(name, text):
    path = os.path.join(folder, name)
    with open(path + ".new", "w") as f:
        f.write(text)
    os.replace(path + ".new", path)


send_path = os.path.join(folder, "send")
open(send_path, "wb").close()
replace("terminal", os.ttyname(terminal))
sent = 0
while True:
    with open(send_path, "rb") as f:
        f.seek(sent)
        data = f.read()
    if data:
        sent += len(data)
        try:
            os.write(master, data)
        except BlockingIOError:
            pass  # a full line drops bytes, as a real one would
    try:
        os.read(master, 65536)
    except (BlockingIOError, OSError):
        pass
    replace("settings", settings_text())
    time.sleep(0.005)
