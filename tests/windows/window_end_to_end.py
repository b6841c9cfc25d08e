#!/usr/bin/env python3
"""veskconv.exe under Wine on an X server (Xvfb), driven from outside as a
user would, through the real window and Windows' own common dialogs:
BROWSE, a path typed into the open dialog (first one with letters the code
page cannot hold, which must be refused with a box that says so), a channel
set, BROWSE (the save dialog offers the name beside the survey), PROCESS,
EXIT. xdotool clicks and
types; window_probe.exe finds the controls by class, title and id and reads
their state. Then the SEG-Y file must be the bytes that veskconv-batch.exe
(and the Linux veskconv-batch, when a Linux build is given) writes for the
same survey and clicks, segyio must read it, the settings file must be in
%APPDATA%\\VESKCONV, and a second start must put the window where the first
one was left. Last, every read slowed as on a slow disk (the program's test
setting VESK_READ_DELAY_MS): the bar must be seen rising in screenshots during
the conversion and after EXIT, which waits for it (read from the screen alone:
asking the window would itself wake its thread).

    window_end_to_end.py WINDOWS_BUILD WORK_FOLDER [LINUX_BUILD] [--screenshot PNG]

The Wine prefix is VESK_GUI_WINEPREFIX (default WORK_FOLDER/wineprefix),
made on first use.
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

import segyio

TIMEOUT_S = 60
POLL_S = 0.1
NOT_FOUND = 2

WINDOW_CLASS = "VESKCONV"
WINDOW_TITLE = "VESKCONV - VSK to SEGY file format conversion tool"
DIALOG_CLASS = "#32770"
OPEN_TITLE = "Select VSK file"
SAVE_TITLE = "Select SEGY file"

IDC_BROWSE_SONAR = 1001
IDC_SONAR_FILE_NAME = 1718
IDC_SONAR_PING_COUNT = 1725
IDC_PAIR_1 = 1005
IDC_BROWSE_SEGY = 1002
IDC_SEGY_FILE_NAME = 1719
IDC_PROCESS = 1003
IDC_STATUS = 1720
IDC_PROGRESS = 1201
IDC_EXIT = 1000
MESSAGE_BOX_TEXT = 0xFFFF  # the text of a message box
IDOK = 1
READY = " Ready"
CHECKED = 1

PINGS = 200
SURVEY = "C:\\survey\\line7.vsk"
SEGY = "C:\\survey\\line7.SEG"
# Greek letters: the Western code page cannot hold them (nor may they become look-alikes).
UNHOLDABLE = "C:\\survey\\\u03b3\u03c1\u03b1\u03bc\u03bc\u03ae.vsk"
SURVEY_OPTIONS = ["--pings", str(PINGS), "--pairs", "100,400", "--subbottom", "4", "--samples", "400"]
MOVED_TO = (140, 90)
# Sixteen reads of the reader's 1 MiB, a fifth of a second each: a few seconds of work.
SLOW_SURVEY = "C:\\survey\\slow line.vsk"
SLOW_SEGY = "C:\\survey\\slow line.SEG"
SLOW_SURVEY_BYTES = "16M"
READ_DELAY_MS = 200
# The progress bar's chunks are drawn in the highlight colour, a blue.
FILL_BLUE_OVER_RED = 60


FAILURE_SCREEN = {}


def fail(message):
    print("FAIL: " + message, flush=True)
    if FAILURE_SCREEN:
        subprocess.run(["import", "-window", "root", FAILURE_SCREEN["path"]], env=FAILURE_SCREEN["env"])
        print("the screen is in " + FAILURE_SCREEN["path"], flush=True)
    sys.exit(1)


def wait_for(what, check, timeout=TIMEOUT_S):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = check()
        if value:
            return value
        time.sleep(POLL_S)
    fail("timed out waiting for " + what)


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        number = numbers.readline().strip()
    if not number:
        fail("Xvfb did not start")
    return server, ":" + number


class Desktop:
    """Wine on one X display, the probe that reads its windows, xdotool that acts."""

    def __init__(self, windows_build, prefix, display):
        self.probe_program = os.path.join(windows_build, "tests", "windows", "window_probe.exe")
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", DISPLAY=display,
                        WINEDLLOVERRIDES="mscoree=d;mshtml=d")

    def wine(self, arguments):
        # Files, not pipes: Wine's services, started on demand, inherit the
        # handles and would hold a pipe open long after the program ended.
        with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
            done = subprocess.run(["wine"] + arguments, env=self.env, stdout=out, stderr=err)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(done.args, done.returncode, out.read(), err.read())

    def probe(self, *arguments):
        done = self.wine([self.probe_program] + [str(a) for a in arguments])
        if done.returncode == NOT_FOUND:
            return None
        if done.returncode != 0:
            fail(f"window_probe {' '.join(map(str, arguments))}: status {done.returncode} {done.stderr}")
        return done.stdout.rstrip("\r\n")

    def window_rect(self, window_class, title):
        line = self.probe("window", window_class, title)
        return None if line is None else [int(v) for v in line.split()]

    def control(self, window_class, title, control_id):
        line = self.probe("control", window_class, title, control_id)
        if line is None:
            return None
        numbers, _, text = line.partition("\t")
        left, top, right, bottom, enabled, checked, position = (int(v) for v in numbers.split())
        return {"rect": (left, top, right, bottom), "enabled": enabled == 1, "checked": checked,
                "position": position, "text": text}

    def main_control(self, control_id):
        return self.control(WINDOW_CLASS, WINDOW_TITLE, control_id)

    def xdotool(self, *arguments):
        subprocess.run(["xdotool"] + list(arguments), env=self.env, check=True)

    def click(self, control_id, window_class=WINDOW_CLASS, title=WINDOW_TITLE):
        control = wait_for(f"control {control_id}", lambda: self.control(window_class, title, control_id))
        left, top, right, bottom = control["rect"]
        self.xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2), "click", "1")

    def type_into_dialog(self, title, text, closes=True):
        wait_for(f"the dialog '{title}'", lambda: self.window_rect(DIALOG_CLASS, title))
        time.sleep(0.5)  # the dialog fills its lists before it takes keys
        # The keys go to the dialog, as they would after a click on it.
        found = subprocess.run(["xdotool", "search", "--name", f"^{title}$"], env=self.env, stdout=subprocess.PIPE,
                               text=True).stdout.split()
        if found:
            self.xdotool("windowfocus", "--sync", found[-1])
        if text:
            self.xdotool("key", "ctrl+a")  # the dialog may come back with a refused name in it
            time.sleep(0.3)
            # xdotool lends a key the letters a keyboard lacks: slowly enough for Wine to see the change.
            delay = "30" if text.isascii() else "150"
            self.xdotool("type", "--delay", delay, text)
        self.xdotool("key", "Return")
        if closes:
            wait_for(f"the dialog '{title}' to close", lambda: self.window_rect(DIALOG_CLASS, title) is None)

    def box_text(self, title):
        box = self.control(DIALOG_CLASS, title, MESSAGE_BOX_TEXT)
        return None if box is None else box["text"]


def drive_c(prefix):
    return os.path.join(prefix, "drive_c")


def unix_path(prefix, windows_path):
    return os.path.join(drive_c(prefix), *windows_path[3:].split("\\"))


def settings_file(prefix):
    found = glob.glob(os.path.join(drive_c(prefix), "users", "*", "AppData", "Roaming", "VESKCONV", "VESKCONV.INI"))
    return found[0] if len(found) == 1 else None


def settings_values(path):
    values = {}
    with open(path, encoding="latin-1") as text:
        for line in text.read().splitlines():
            key, equals, value = line.partition("=")
            if equals:
                values[key.strip()] = value.strip()
    return values


STARTED = []


def start_program(desktop, veskconv, log):
    program = subprocess.Popen(["wine", veskconv], env=desktop.env, stdout=log, stderr=subprocess.STDOUT)
    STARTED.append(program)
    wait_for("the main window", lambda: desktop.window_rect(WINDOW_CLASS, WINDOW_TITLE))
    wait_for("' Ready' after start-up", lambda: (desktop.main_control(IDC_STATUS) or {}).get("text") == READY)
    return program


def end_program(desktop, program):
    desktop.click(IDC_EXIT)
    try:
        program.wait(timeout=TIMEOUT_S)
    except subprocess.TimeoutExpired:
        program.kill()
        fail("veskconv.exe did not end after EXIT")
    if program.returncode != 0:
        fail(f"veskconv.exe ended with status {program.returncode}")


def choose_survey_and_output(desktop, survey, segy):
    """The survey typed into the open dialog, pair 1, the offered SEG-Y name: the ping count shown."""
    desktop.type_into_dialog(OPEN_TITLE, survey)
    count = wait_for("the ping count", lambda: "sonar" in desktop.main_control(IDC_SONAR_PING_COUNT)["text"]
                     and desktop.main_control(IDC_SONAR_PING_COUNT)["text"].strip())
    if desktop.main_control(IDC_SONAR_FILE_NAME)["text"] != survey:
        fail("the VSK name field does not show the typed path")
    wait_for("the pair boxes to be enabled", lambda: desktop.main_control(IDC_PAIR_1)["enabled"])
    desktop.click(IDC_PAIR_1)
    wait_for("'Sonar 1 and 2' to be marked", lambda: desktop.main_control(IDC_PAIR_1)["checked"] == CHECKED)
    desktop.click(IDC_BROWSE_SEGY)
    desktop.type_into_dialog(SAVE_TITLE, "")  # the offered name, beside the survey
    wait_for("the SEG-Y name", lambda: desktop.main_control(IDC_SEGY_FILE_NAME)["text"] == segy)
    return count


def convert_through_the_window(desktop, veskconv, log, screenshot):
    program = start_program(desktop, veskconv, log)
    desktop.click(IDC_BROWSE_SONAR)
    desktop.type_into_dialog(OPEN_TITLE, UNHOLDABLE, closes=False)
    refusal = wait_for("the box refusing a name the code page cannot hold", lambda: desktop.box_text(OPEN_TITLE))
    if UNHOLDABLE not in refusal or "code page" not in refusal:
        fail(f"the refusal says {refusal!r}")
    print("a name the code page cannot hold is refused: " + refusal.splitlines()[2])
    desktop.click(IDOK, DIALOG_CLASS, OPEN_TITLE)
    wait_for("the box to close", lambda: desktop.box_text(OPEN_TITLE) is None)
    count = choose_survey_and_output(desktop, SURVEY, SEGY)
    if count != f"{PINGS} (sonar/subbottom)":
        fail(f"ping count field shows {count!r}")
    desktop.click(IDC_PROCESS)
    wait_for("the conversion to end", lambda: desktop.main_control(IDC_PROCESS)["enabled"]
             and desktop.main_control(IDC_STATUS)["text"] == READY
             and os.path.getsize(unix_path(desktop.env["WINEPREFIX"], SEGY)) > 0)
    left, top = MOVED_TO
    window = desktop.window_rect(WINDOW_CLASS, WINDOW_TITLE)
    if screenshot:
        subprocess.run(["import", "-window", "root", "-crop",
                        f"{window[2] - window[0]}x{window[3] - window[1]}+{window[0]}+{window[1]}", screenshot],
                       env=desktop.env, check=True)
        print(f"screenshot: {screenshot}")
    window_id = subprocess.run(["xdotool", "search", "--name", WINDOW_TITLE], env=desktop.env,
                               stdout=subprocess.PIPE, text=True).stdout.split()[0]
    desktop.xdotool("windowmove", window_id, str(left), str(top))
    wait_for("the window to move", lambda: desktop.window_rect(WINDOW_CLASS, WINDOW_TITLE)[:2] != window[:2])
    moved = desktop.window_rect(WINDOW_CLASS, WINDOW_TITLE)
    end_program(desktop, program)
    return moved


def bar_fill(shot, rect):
    """How much of the progress bar's middle row the screenshot shows filled."""
    left, top, right, bottom = rect
    row = subprocess.run(["convert", shot, "-crop", f"{right - left - 4}x1+{left + 2}+{(top + bottom) // 2}",
                          "-depth", "8", "txt:-"], stdout=subprocess.PIPE, text=True, check=True).stdout
    filled = 0
    for line in row.splitlines()[1:]:
        red, green, blue = (int(float(v)) for v in line.split("(", 1)[1].split(")", 1)[0].split(",")[:3])
        filled += blue > red + FILL_BLUE_OVER_RED
    return filled


def watch_a_slow_conversion(windows_build, prefix, display, veskconv, log, work):
    desktop = Desktop(windows_build, prefix, display)
    desktop.env["VESK_READ_DELAY_MS"] = str(READ_DELAY_MS)
    if desktop.wine([os.path.join(windows_build, "vskgen.exe"), "--output", SLOW_SURVEY, "--bytes",
                     SLOW_SURVEY_BYTES]).returncode != 0:
        fail("vskgen.exe could not write the slow survey")
    program = start_program(desktop, veskconv, log)
    desktop.click(IDC_BROWSE_SONAR)
    choose_survey_and_output(desktop, SLOW_SURVEY, SLOW_SEGY)
    bar = desktop.main_control(IDC_PROGRESS)["rect"]
    exit_button = desktop.main_control(IDC_EXIT)["rect"]
    desktop.click(IDC_PROCESS)

    def shown_beyond(least, name):
        shot = os.path.join(work, name)
        subprocess.run(["import", "-window", "root", shot], env=desktop.env, check=True)
        filled = bar_fill(shot, bar)
        return filled if filled > least else None

    first = wait_for("the bar to move", lambda: shown_beyond(0, "slow-conversion-1.png"))
    second = wait_for("the bar to move on", lambda: shown_beyond(first, "slow-conversion-2.png"))
    left, top, right, bottom = exit_button
    desktop.xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2), "click", "1")
    wait_for("the bar to move on while quitting", lambda: shown_beyond(second, "slow-quit.png"))
    print(f"the bar filled {first}, then {second} pixels, and went on after EXIT: screenshots in {work}")
    if program.wait(timeout=TIMEOUT_S) != 0:
        fail(f"veskconv.exe ended with status {program.returncode}")
    if os.path.getsize(unix_path(prefix, SLOW_SEGY)) <= 3600:
        fail("the quit did not wait for the conversion")


def reference_outputs(windows_build, linux_build, desktop, survey, work):
    references = {}
    folder = os.path.join(work, "windows-batch")
    os.makedirs(folder, exist_ok=True)
    batch = os.path.join(windows_build, "veskconv-batch.exe")
    output = os.path.join(folder, "line7.SEG")
    done = desktop.wine([batch, "-c", "pair1", "-o", "Z:" + output.replace("/", "\\"),
                         "Z:" + survey.replace("/", "\\")])
    if done.returncode != 0:
        fail("veskconv-batch.exe: " + done.stderr)
    references["veskconv-batch.exe"] = output
    if linux_build:
        folder = os.path.join(work, "linux-batch")
        os.makedirs(folder, exist_ok=True)
        output = os.path.join(folder, "line7.SEG")
        subprocess.run([os.path.join(linux_build, "tools", "veskconv_batch", "veskconv-batch"), "-c", "pair1",
                        "-o", output, survey], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        references["the Linux veskconv-batch"] = output
    return references


def main():
    arguments = sys.argv[1:]
    screenshot = None
    if "--screenshot" in arguments:
        at = arguments.index("--screenshot")
        screenshot = os.path.abspath(arguments[at + 1])
        del arguments[at:at + 2]
    if len(arguments) not in (2, 3):
        fail(__doc__)
    windows_build, work = (os.path.abspath(a) for a in arguments[:2])
    linux_build = os.path.abspath(arguments[2]) if len(arguments) == 3 else None
    os.makedirs(work, exist_ok=True)
    prefix = os.environ.get("VESK_GUI_WINEPREFIX", os.path.join(work, "wineprefix"))
    veskconv = os.path.join(windows_build, "veskconv.exe")

    xvfb, display = start_xvfb()
    # A window manager, as on any desktop: it draws the title bars.
    window_manager = subprocess.Popen(["icewm"], env=dict(os.environ, DISPLAY=display), stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL) if shutil.which("icewm") else None
    desktop = Desktop(windows_build, prefix, display)
    FAILURE_SCREEN.update(path=os.path.join(work, "failure.png"), env=desktop.env)
    log = open(os.path.join(work, "veskconv.log"), "w")
    try:
        if not os.path.isdir(drive_c(prefix)):
            desktop.wine(["wineboot", "--init"])
        survey = unix_path(prefix, SURVEY)
        segy = unix_path(prefix, SEGY)
        os.makedirs(os.path.dirname(survey), exist_ok=True)
        for stale in [segy, unix_path(prefix, SLOW_SEGY)] + ([settings_file(prefix)] if settings_file(prefix) else []):
            if os.path.exists(stale):
                os.remove(stale)
        vskgen = os.path.join(windows_build, "vskgen.exe")
        if desktop.wine([vskgen, "--output", SURVEY] + SURVEY_OPTIONS).returncode != 0:
            fail("vskgen.exe could not write the survey")
        shutil.copyfile(survey, unix_path(prefix, UNHOLDABLE))

        moved = convert_through_the_window(desktop, veskconv, log, screenshot)

        with open(segy, "rb") as written:
            converted = written.read()
        for name, reference in reference_outputs(windows_build, linux_build, desktop, survey, work).items():
            with open(reference, "rb") as expected:
                if expected.read() != converted:
                    fail(f"the window's SEG-Y file differs from what {name} writes")
            print(f"SEG-Y file identical to {name}'s ({len(converted)} bytes)")
        with segyio.open(segy, ignore_geometry=True, endian="little") as read_back:
            if read_back.tracecount != 2 * PINGS:
                fail(f"segyio reads {read_back.tracecount} traces, not {2 * PINGS}")
        print(f"segyio reads {2 * PINGS} traces")

        path = settings_file(prefix)
        if path is None:
            fail("no VESKCONV.INI in %APPDATA%\\VESKCONV")
        values = settings_values(path)
        expected = {"Window Coordinates - top": str(moved[1]), "Window Coordinates - left": str(moved[0]),
                    "Last VSK File Name": SURVEY, "Enable Processing Information": "1",
                    "MOTOROLA Memory Model": "0", "Use Ship Coordinates": "1"}
        if values != expected:
            fail(f"settings {values}, expected {expected}")
        print(f"settings file {os.path.relpath(path, drive_c(prefix))}: {values}")

        program = start_program(desktop, veskconv, log)
        placed = desktop.window_rect(WINDOW_CLASS, WINDOW_TITLE)
        if placed[:2] != moved[:2]:
            fail(f"the second start put the window at {placed[:2]}, not {moved[:2]}")
        end_program(desktop, program)
        print(f"the second start put the window at {placed[:2]} again")
        watch_a_slow_conversion(windows_build, prefix, display, veskconv, log, work)
        print("PASS")
    finally:
        for program in STARTED:
            if program.poll() is None:
                program.kill()
                program.wait()
        log.close()
        subprocess.run(["wineserver", "-w"], env=desktop.env)
        if window_manager is not None:
            window_manager.terminate()
            window_manager.wait()
        xvfb.terminate()
        xvfb.wait()


if __name__ == "__main__":
    main()
