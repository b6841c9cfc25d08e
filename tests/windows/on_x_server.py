#!/usr/bin/env python3
"""Runs a Windows test program that makes real windows under Wine, on an X
server of its own (Xvfb chooses a free display itself, so tests side by side
never race for one) and in a Wine prefix of its own: Wine's desktop takes its
display from the first program of a session, and a console test that came
first would leave it with none.

    on_x_server.py WINEPREFIX PROGRAM [ARGUMENT...]
"""
import os
import subprocess
import sys

from window_end_to_end import start_xvfb


def main():
    prefix, command = os.path.abspath(sys.argv[1]), ["wine"] + sys.argv[2:]
    server, display = start_xvfb()
    env = dict(os.environ, DISPLAY=display, WINEPREFIX=prefix)
    try:
        if not os.path.isdir(os.path.join(prefix, "drive_c")):
            subprocess.run(["wine", "wineboot", "--init"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        code = subprocess.run(command, env=env).returncode
        subprocess.run(["wineserver", "-w"], env=env)
        sys.exit(code)
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
