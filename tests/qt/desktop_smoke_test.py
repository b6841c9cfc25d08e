"""The real veskconv on an X server (Xvfb, with icewm as the window manager
where it is installed), driven as a user would with xdotool.

First run: BROWSE, the file dialog (the sample's path typed), a channel box,
BROWSE for the SEG-Y file, PROCESS, then EXIT; the SEG-Y file is read back
with segyio. Second run: a four-pair survey deep in long-named folders,
reached with the dialog's location field and list; all four channel lines
must be drawn whole (the field's height against the font's line spacing)
and the long path must show the file's name; the output is reached through
the dialog's places; the window's size hints are fixed. Third run: a saved
position off every screen opens the window within reach, and the saved
value stands. Fourth run: every read slowed as on a slow disk (the program's
test setting VESK_READ_DELAY_MS): the bar the window shows must go on rising
during the conversion and after EXIT, which waits for it; a screenshot is
taken at each sighting.

The window is read through the front end's dump (VESK_QT_DUMP), which gives
every control's text, the lines drawn, state and place on the screen, and
the file dialog's controls.

icewm and xprop are used where they are installed.

Usage: desktop_smoke_test.py VESKCONV SAMPLE.vsk VSKGEN [SCREENSHOT_FOLDER]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import segyio

TIMEOUT_S = 60
POLL_S = 0.05
SCREEN_WIDTH = 1280
SCREEN_HEIGHT = 1024

IDC_SONAR_FILE_NAME = 1718
IDC_BROWSE_SONAR = 1001
IDC_CHANNEL_LIST = 1721
IDC_SONAR_PING_COUNT = 1725
IDC_PAIR_1 = 1005
IDC_PAIR_4 = 1022
IDC_SEGY_FILE_NAME = 1719
IDC_BROWSE_SEGY = 1002
IDC_LITTLE_ENDIAN = 1011
IDC_PROCESS = 1003
IDC_STATUS = 1720
IDC_EXIT = 1000
IDC_PROGRESS = 1201
READY = " Ready"
TITLE = "VESKCONV - VSK to SEGY file format conversion tool"
SAMPLES_PER_TRACE_MIN = 1
METRES = 1
FIELD_FRAME_PIXELS = 1
FOUR_PAIR_PINGS = 60
# Sixteen reads of the reader's 1 MiB, a fifth of a second each: a few seconds of work.
SLOW_SURVEY_BYTES = "16M"
READ_DELAY_MS = 200
CONVERTING = " Converting VSK file to SEG file"
QUITTING = " Quitting"
LINE_BREAK = "\\x0A"
ELLIPSIS = "\u2026"
# "Window Coordinates - top=-99999999999" reads back as this 32-bit value.
FAR_UP_SAVED = "-99999999999"
FAR_UP_READ = -1215752191
MWM_HINTS_FUNCTIONS = 1 << 0
MWM_FUNC_ALL = 1 << 0
MWM_FUNC_RESIZE = 1 << 1
MWM_FUNC_MAXIMIZE = 1 << 4


def fail(message):
    print("FAIL: " + message, flush=True)
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
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (SCREEN_WIDTH, SCREEN_HEIGHT),
         "-nolisten", "tcp"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        number = numbers.readline().strip()
    if not number:
        fail("Xvfb did not start")
    return server, ":" + number


def start_window_manager(env):
    """icewm where it and xprop are installed, once it has taken the screen; None without."""
    if shutil.which("icewm") is None or shutil.which("xprop") is None:
        return None
    manager = subprocess.Popen(["icewm"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def managing():
        result = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, text=True)
        return "window id" in result.stdout

    wait_for("the window manager", managing)
    return manager


class Window:
    """The program's window, and its file dialog, as the dump file shows them."""

    def __init__(self, dump_path, env):
        self.dump_path = dump_path
        self.env = env

    def lines(self):
        try:
            with open(self.dump_path, encoding="utf-8") as dump:
                return [line.split("\t") for line in dump.read().splitlines()]
        except FileNotFoundError:
            return []

    def read(self):
        controls = {}
        for fields in self.lines():
            if fields[0] == "control" and len(fields) == 12:
                controls[int(fields[1])] = {
                    "x": int(fields[2]), "y": int(fields[3]), "w": int(fields[4]), "h": int(fields[5]),
                    "enabled": fields[6] == "1", "checked": fields[7] == "1", "progress": int(fields[8]),
                    "line_spacing": int(fields[9]), "text": fields[10], "shown": fields[11]}
        return controls or None

    def frame(self):
        """The model's outer rectangle and where the window is shown."""
        for fields in self.lines():
            if fields[0] == "window" and len(fields) == 10:
                numbers = [int(field) for field in fields[2:]]
                return numbers[:4], numbers[4:]
        return None

    def dialog(self):
        found = {"places": {}, "entries": {}, "items": {}}
        for fields in self.lines():
            if fields[0] == "dialog":
                found["title"], found["folder"] = fields[1], fields[2]
            elif fields[0] == "dialogitem":
                found["items"][fields[1]] = rect_of(fields[2:6]) + [fields[6]]
            elif fields[0] == "place":
                found["places"][fields[1]] = rect_of(fields[2:6])
            elif fields[0] == "entry":
                found["entries"][fields[1]] = rect_of(fields[2:6])
        return found if "title" in found else None

    def control(self, control_id):
        controls = self.read()
        return controls.get(control_id) if controls else None

    def text(self, control_id):
        control = self.control(control_id)
        return control["text"] if control else None

    def xdotool(self, *arguments):
        return subprocess.run(["xdotool", *arguments], env=self.env, check=True,
                              stdout=subprocess.PIPE, text=True).stdout

    def click_at(self, rect, clicks=1, origin=(0, 0)):
        x, y, w, h = rect[:4]
        self.xdotool("mousemove", "--sync", str(origin[0] + x + w // 2), str(origin[1] + y + h // 2),
                     "click", "--repeat", str(clicks), "1")

    def dialog_origin(self, title):
        """Where the X server has the dialog's client area."""
        found = wait_for("the dialog " + title, lambda: self.find_window(title)).split()[0]
        shell = self.xdotool("getwindowgeometry", "--shell", found)
        values = dict(line.split("=", 1) for line in shell.split())
        return int(values["X"]), int(values["Y"])

    def placed(self):
        """True once the dump has the window where the X server has it (a window
        manager frames and may move it after the program placed it)."""
        frame = self.frame()
        found = self.find_window(TITLE)
        if not frame or not found:
            return False
        shell = self.xdotool("getwindowgeometry", "--shell", found.split()[0])
        values = {key: int(value) for key, value in (line.split("=", 1) for line in shell.split())}
        left, top, right, bottom = frame[1]
        return (left <= values["X"] and values["X"] + values["WIDTH"] <= right
                and top <= values["Y"] and values["Y"] + values["HEIGHT"] <= bottom)

    def click(self, control_id):
        wait_for("the dump to show where the window is", self.placed)
        control = wait_for("control %d" % control_id, lambda: self.control(control_id))
        self.click_at([control["x"], control["y"], control["w"], control["h"]])

    def focus_dialog(self, title):
        found = wait_for("the dialog " + title, lambda: self.find_window(title))
        self.xdotool("windowfocus", "--sync", found.split()[0])

    def type_into_dialog(self, title, text):
        self.focus_dialog(title)
        # Whatever the name field holds goes: the typed path replaces it.
        self.xdotool("key", "ctrl+a")
        self.xdotool("type", "--delay", "5", text)
        self.xdotool("key", "Return")
        wait_for("the dialog to close", lambda: not self.find_window(title))

    def find_window(self, title):
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(title)],
                                env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        return result.stdout.strip()


def rect_of(fields):
    return [int(field) for field in fields]


def check_segy(path, ping_count):
    with segyio.open(path, ignore_geometry=True, endian="little") as segy:
        traces = segy.tracecount
        samples = len(segy.samples)
        first = segy.header[0]
        last = segy.header[traces - 1]
        field = segyio.TraceField
        if traces != 2 * ping_count:
            fail("%d traces for %d pings of a pair" % (traces, ping_count))
        if samples < SAMPLES_PER_TRACE_MIN:
            fail("no samples")
        # Both traces of a ping carry its number, counted from 1.
        if (first[field.FieldRecord], last[field.FieldRecord]) != (1, ping_count):
            fail("field records %d .. %d" % (first[field.FieldRecord], last[field.FieldRecord]))
        if first[field.CoordinateUnits] != METRES:
            fail("coordinate units %d" % first[field.CoordinateUnits])
    print("segyio: %d traces of %d samples" % (traces, samples), flush=True)


def saved_settings(config):
    for place, _, names in os.walk(config):
        if "VESKCONV.INI" in names:
            with open(os.path.join(place, "VESKCONV.INI"), encoding="utf-8", errors="replace") as settings:
                return settings.read()
    return ""


class Program:
    """One run of veskconv; EXIT and its exit code checked on leaving."""

    def __init__(self, veskconv, env, exit_on_leaving=True):
        self.env = env
        self.exit_on_leaving = exit_on_leaving
        # What an earlier run left in the dump is not this run's window.
        if os.path.exists(env["VESK_QT_DUMP"]):
            os.remove(env["VESK_QT_DUMP"])
        self.process = subprocess.Popen([veskconv], env=env)
        self.window = Window(env["VESK_QT_DUMP"], env)

    def __enter__(self):
        wait_for("the first ' Ready'", lambda: self.window.text(IDC_STATUS) == READY)
        return self.window

    def __exit__(self, kind, value, trace):
        try:
            if kind is None:
                if self.exit_on_leaving:
                    self.window.click(IDC_EXIT)
                code = self.process.wait(TIMEOUT_S)
                if code != 0:
                    fail("exit code %d" % code)
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait()
        return False


def convert_the_sample(veskconv, env, sample, folder):
    output = os.path.join(folder, "line 1.SEG")
    with Program(veskconv, env) as window:
        if not window.control(IDC_LITTLE_ENDIAN)["checked"]:
            fail("INTEL / Little Endian not marked at the first start")

        window.click(IDC_BROWSE_SONAR)
        window.type_into_dialog("Select VSK file", sample)
        wait_for("the ping count", lambda: (window.text(IDC_SONAR_PING_COUNT) or "").strip())
        wait_for("Sonar 1 and 2 enabled", lambda: window.control(IDC_PAIR_1)["enabled"])
        if window.text(IDC_SONAR_FILE_NAME) != sample:
            fail("VSK name shown as %r" % window.text(IDC_SONAR_FILE_NAME))
        ping_count = int(window.text(IDC_SONAR_PING_COUNT).split()[0])

        window.click(IDC_PAIR_1)
        wait_for("Sonar 1 and 2 marked", lambda: window.control(IDC_PAIR_1)["checked"])

        window.click(IDC_BROWSE_SEGY)
        window.type_into_dialog("Select SEGY file", output)
        wait_for("the SEG-Y name", lambda: window.text(IDC_SEGY_FILE_NAME) == output)

        process_and_wait(window, output)
    if "Last VSK File Name=" + sample not in saved_settings(env["XDG_CONFIG_HOME"]):
        fail("settings do not hold the VSK name:\n" + saved_settings(env["XDG_CONFIG_HOME"]))
    check_segy(output, ping_count)


def process_and_wait(window, output):
    window.click(IDC_PROCESS)
    # Done: PROCESS back, " Ready", and the file written past its reel header.
    wait_for("the end of the conversion",
             lambda: os.path.exists(output) and os.path.getsize(output) > 3600
             and window.control(IDC_PROCESS)["enabled"] and window.text(IDC_STATUS) == READY
             and window.control(IDC_PROGRESS)["progress"] == 0)


def check_fixed_size_hints(env):
    if shutil.which("xprop") is None:
        print("xprop not installed: size hints not checked", flush=True)
        return
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % TITLE], env=env,
                           stdout=subprocess.PIPE, text=True).stdout.split()
    if not found:
        fail("the window is not on the screen")
    hints = subprocess.run(["xprop", "-id", found[0], "WM_NORMAL_HINTS", "_MOTIF_WM_HINTS"], env=env,
                           stdout=subprocess.PIPE, text=True).stdout
    smallest = re.search(r"minimum size: (\d+) by (\d+)", hints)
    largest = re.search(r"maximum size: (\d+) by (\d+)", hints)
    if not smallest or not largest or smallest.groups() != largest.groups():
        fail("the size hints let the window be resized:\n" + hints)
    # The Motif hints, which some window managers read alone: functions given, neither resize nor maximize.
    motif = re.search(r"_MOTIF_WM_HINTS\([^)]*\) = (0x[0-9a-f]+), (0x[0-9a-f]+)", hints)
    if not motif:
        fail("no Motif hints:\n" + hints)
    flags, functions = int(motif.group(1), 16), int(motif.group(2), 16)
    if not flags & MWM_HINTS_FUNCTIONS or functions & (MWM_FUNC_ALL | MWM_FUNC_RESIZE | MWM_FUNC_MAXIMIZE):
        fail("the Motif hints offer resizing:\n" + hints)


def check_four_lines(window):
    listing = window.control(IDC_CHANNEL_LIST)
    lines = listing["text"].split(LINE_BREAK)
    if len(lines) != 4 or not lines[3].startswith("(7) PORT"):
        fail("channel list %r" % listing["text"])
    # Drawn whole: every line, unchanged, and four of the font's lines within the frame.
    if listing["shown"] != listing["text"]:
        fail("the channel list shows %r of %r" % (listing["shown"], listing["text"]))
    if 4 * listing["line_spacing"] > listing["h"] - 2 * FIELD_FRAME_PIXELS:
        fail("four lines of %d pixels in a field %d pixels high" % (listing["line_spacing"], listing["h"]))


def check_long_path(window, survey):
    name = window.control(IDC_SONAR_FILE_NAME)
    if name["text"] != survey:
        fail("VSK name %r, not %r" % (name["text"], survey))
    file_name = "/" + os.path.basename(survey)
    if name["shown"] == survey or ELLIPSIS not in name["shown"] or not name["shown"].endswith(file_name):
        fail("a long path shows as %r" % name["shown"])


def reach_a_file_through_the_dialog(veskconv, env, vskgen, folder):
    deep = os.path.join(folder, "survey data 2026", "harbour approach east basin", "multibeam and side scan",
                        "day three morning lines", "four frequencies")
    os.makedirs(deep)
    survey = os.path.join(deep, "line 7 four pairs.vsk")
    subprocess.run([vskgen, "--output", survey, "--pings", str(FOUR_PAIR_PINGS), "--pairs", "100,200,300,400",
                    "--no-subbottom"], check=True, stdout=subprocess.DEVNULL)
    output = os.path.join(folder, "four pairs.SEG")
    with Program(veskconv, env) as window:
        check_fixed_size_hints(env)
        window.click(IDC_BROWSE_SONAR)
        window.focus_dialog("Select VSK file")
        dialog = wait_for("the dialog in the dump", window.dialog)
        # The location field: the folder typed, then the file double-clicked in the list.
        origin = window.dialog_origin("Select VSK file")
        window.click_at(dialog["items"]["location"], origin=origin)
        window.xdotool("key", "ctrl+a")
        window.xdotool("type", "--delay", "5", deep)
        window.xdotool("key", "Return")
        entry = os.path.basename(survey)
        dialog = wait_for("the survey's folder listed",
                          lambda: (lambda d: d if d and d["folder"] == deep and entry in d["entries"] else None)(
                              window.dialog()))
        window.click_at(dialog["entries"][entry], clicks=2, origin=origin)
        wait_for("the dialog to close", lambda: not window.find_window("Select VSK file"))
        wait_for("the ping count", lambda: (window.text(IDC_SONAR_PING_COUNT) or "").strip())
        wait_for("Sonar 7 and 8 enabled", lambda: window.control(IDC_PAIR_4)["enabled"])
        check_four_lines(window)
        check_long_path(window, survey)

        window.click(IDC_PAIR_4)
        wait_for("Sonar 7 and 8 marked", lambda: window.control(IDC_PAIR_4)["checked"])

        # The output through a place: the file system's root, then the path typed.
        window.click(IDC_BROWSE_SEGY)
        window.focus_dialog("Select SEGY file")
        dialog = wait_for("the SEG-Y dialog in the dump",
                          lambda: (lambda d: d if d and "File System" in d["places"] else None)(window.dialog()))
        origin = window.dialog_origin("Select SEGY file")
        window.click_at(dialog["places"]["File System"], origin=origin)
        wait_for("the root folder", lambda: (window.dialog() or {}).get("folder") == "/")
        window.click_at(dialog["items"]["fileName"], origin=origin)
        window.type_into_dialog("Select SEGY file", output)
        wait_for("the SEG-Y name", lambda: window.text(IDC_SEGY_FILE_NAME) == output)
        process_and_wait(window, output)
    check_segy(output, FOUR_PAIR_PINGS)


def open_off_every_screen(veskconv, env):
    config = env["XDG_CONFIG_HOME"]
    settings = os.path.join(config, "VESKCONV.INI")
    with open(settings, "w", encoding="utf-8") as ini:
        ini.write("[VESKCONV]\nWindow Coordinates - top=%s\nWindow Coordinates - left=40\n" % FAR_UP_SAVED)
    with Program(veskconv, env) as window:
        model, shown = wait_for("the window's place", window.frame)
        if (model[0], model[1]) != (40, FAR_UP_READ):
            fail("the program's position became %r" % model[:2])
        left, top = shown[0], shown[1]
        if not (0 <= top < SCREEN_HEIGHT and 0 <= left < SCREEN_WIDTH):
            fail("the window is shown at %d, %d" % (left, top))
    if "Window Coordinates - top=%d" % FAR_UP_READ not in saved_settings(config):
        fail("the saved position did not stand:\n" + saved_settings(config))


def screenshot(env, path):
    subprocess.run(["import", "-window", "root", path], env=env, check=True)
    print("screenshot: " + path, flush=True)


def watch_a_slow_conversion(veskconv, env, vskgen, folder, shots):
    survey = os.path.join(folder, "slow line.vsk")
    subprocess.run([vskgen, "--output", survey, "--bytes", SLOW_SURVEY_BYTES], check=True, stdout=subprocess.DEVNULL)
    output = os.path.join(folder, "slow line.SEG")
    slow = dict(env, VESK_READ_DELAY_MS=str(READ_DELAY_MS))
    with Program(veskconv, slow, exit_on_leaving=False) as window:
        window.click(IDC_BROWSE_SONAR)
        window.type_into_dialog("Select VSK file", survey)
        wait_for("the ping count", lambda: "sonar" in (window.text(IDC_SONAR_PING_COUNT) or ""))
        window.click(IDC_PAIR_1)
        window.click(IDC_BROWSE_SEGY)
        window.type_into_dialog("Select SEGY file", output)
        wait_for("the SEG-Y name", lambda: window.text(IDC_SEGY_FILE_NAME) == output)
        window.click(IDC_PROCESS)

        # The dump says what the bar shows: a window that stopped showing the work stops it rising.
        def shown_beyond(least, status):
            bar, line = window.control(IDC_PROGRESS), window.control(IDC_STATUS)
            return bar["progress"] if bar and line and line["text"] == status and bar["progress"] > least else None

        first = wait_for("the bar to move", lambda: shown_beyond(0, CONVERTING))
        screenshot(env, os.path.join(shots, "slow-conversion-1.png"))
        second = wait_for("the bar to move on", lambda: shown_beyond(first, CONVERTING))
        screenshot(env, os.path.join(shots, "slow-conversion-2.png"))
        window.click(IDC_EXIT)
        quitting = wait_for("' Quitting' over a moving bar", lambda: shown_beyond(second, QUITTING))
        wait_for("the bar to move on while quitting", lambda: shown_beyond(quitting, QUITTING))
        screenshot(env, os.path.join(shots, "slow-quit.png"))
    if os.path.getsize(output) <= 3600:
        fail("the quit did not wait for the conversion")


def without_a_display(veskconv, sample):
    """Over ssh without X forwarding: told so, not Qt's abort."""
    bare = {name: value for name, value in os.environ.items()
            if name not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    run = subprocess.run([veskconv, sample], env=bare, capture_output=True, text=True, timeout=TIMEOUT_S)
    if run.returncode != 1 or "no display" not in run.stderr or "veskconv-batch" not in run.stderr:
        fail(f"without a display: exit {run.returncode}, stderr {run.stderr!r}")


def main():
    veskconv, sample, vskgen = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
    without_a_display(veskconv, sample)
    shots = os.path.abspath(sys.argv[4]) if len(sys.argv) > 4 else None
    with tempfile.TemporaryDirectory() as folder:
        config = os.path.join(folder, "config")
        os.mkdir(config)
        server, display = start_xvfb()
        runtime = os.path.join(folder, "runtime")
        os.mkdir(runtime, 0o700)
        env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
                   VESK_QT_DUMP=os.path.join(folder, "window.txt"))
        env.pop("WAYLAND_DISPLAY", None)
        manager = None
        try:
            manager = start_window_manager(env)
            convert_the_sample(veskconv, env, sample, folder)
            reach_a_file_through_the_dialog(veskconv, env, vskgen, folder)
            open_off_every_screen(veskconv, env)
            if shots:
                os.makedirs(shots, exist_ok=True)
            watch_a_slow_conversion(veskconv, env, vskgen, folder, shots or folder)
        finally:
            if manager is not None:
                manager.terminate()
                manager.wait()
            server.terminate()
            server.wait()
    print("5 passed, 0 failed", flush=True)


if __name__ == "__main__":
    main()
