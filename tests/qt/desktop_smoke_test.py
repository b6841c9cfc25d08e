"""The real veskconv on an X server (Xvfb), driven as a user would with
xdotool: BROWSE, the file dialog (typing the path), a channel box, BROWSE for
the SEG-Y file, PROCESS, then EXIT; the SEG-Y file is read back with segyio.

The window is read through the front end's dump (VESK_QT_DUMP), which gives
every control's text, state and place on the screen.

Usage: desktop_smoke_test.py VESKCONV SAMPLE.vsk
"""
import os
import subprocess
import sys
import tempfile
import time

import segyio

TIMEOUT_S = 60
POLL_S = 0.05

IDC_SONAR_FILE_NAME = 1718
IDC_BROWSE_SONAR = 1001
IDC_SONAR_PING_COUNT = 1725
IDC_PAIR_1 = 1005
IDC_SEGY_FILE_NAME = 1719
IDC_BROWSE_SEGY = 1002
IDC_LITTLE_ENDIAN = 1011
IDC_PROCESS = 1003
IDC_STATUS = 1720
IDC_EXIT = 1000
IDC_PROGRESS = 1201
READY = " Ready"
SAMPLES_PER_TRACE_MIN = 1
METRES = 1


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
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        number = numbers.readline().strip()
    if not number:
        fail("Xvfb did not start")
    return server, ":" + number


class Window:
    """The program's window as its dump file shows it."""

    def __init__(self, dump_path, env):
        self.dump_path = dump_path
        self.env = env

    def read(self):
        try:
            with open(self.dump_path, encoding="utf-8") as dump:
                lines = dump.read().splitlines()
        except FileNotFoundError:
            return None
        controls = {}
        for line in lines:
            fields = line.split("\t")
            if fields[0] == "control" and len(fields) == 10:
                controls[int(fields[1])] = {
                    "x": int(fields[2]), "y": int(fields[3]), "w": int(fields[4]), "h": int(fields[5]),
                    "enabled": fields[6] == "1", "checked": fields[7] == "1", "progress": int(fields[8]),
                    "text": fields[9]}
        return controls or None

    def control(self, control_id):
        controls = self.read()
        return controls.get(control_id) if controls else None

    def text(self, control_id):
        control = self.control(control_id)
        return control["text"] if control else None

    def xdotool(self, *arguments):
        return subprocess.run(["xdotool", *arguments], env=self.env, check=True,
                              stdout=subprocess.PIPE, text=True).stdout

    def click(self, control_id):
        control = wait_for("control %d" % control_id, lambda: self.control(control_id))
        x = control["x"] + control["w"] // 2
        y = control["y"] + control["h"] // 2
        self.xdotool("mousemove", "--sync", str(x), str(y), "click", "1")

    def type_into_dialog(self, title, text):
        found = wait_for("the dialog " + title, lambda: self.find_window(title))
        dialog = found.split()[0]
        self.xdotool("windowfocus", "--sync", dialog)
        # Whatever the name field holds goes: the typed path replaces it.
        self.xdotool("key", "ctrl+a")
        self.xdotool("type", "--delay", "5", text)
        self.xdotool("key", "Return")
        wait_for("the dialog to close", lambda: not self.find_window(title))

    def find_window(self, title):
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        return result.stdout.strip()


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


def main():
    veskconv, sample = sys.argv[1], os.path.abspath(sys.argv[2])
    with tempfile.TemporaryDirectory() as folder:
        output = os.path.join(folder, "line 1.SEG")
        config = os.path.join(folder, "config")
        os.mkdir(config)
        server, display = start_xvfb()
        runtime = os.path.join(folder, "runtime")
        os.mkdir(runtime, 0o700)
        env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
                   VESK_QT_DUMP=os.path.join(folder, "window.txt"))
        env.pop("WAYLAND_DISPLAY", None)
        program = subprocess.Popen([veskconv], env=env)
        try:
            window = Window(env["VESK_QT_DUMP"], env)
            wait_for("the first ' Ready'", lambda: window.text(IDC_STATUS) == READY)
            first_start = window.control(IDC_LITTLE_ENDIAN)
            if not first_start["checked"]:
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

            window.click(IDC_PROCESS)
            # Done: PROCESS back, " Ready", and the file written past its reel header.
            wait_for("the end of the conversion",
                     lambda: os.path.exists(output) and os.path.getsize(output) > 3600
                     and window.control(IDC_PROCESS)["enabled"] and window.text(IDC_STATUS) == READY
                     and window.control(IDC_PROGRESS)["progress"] == 0)

            window.click(IDC_EXIT)
            code = program.wait(TIMEOUT_S)
            if code != 0:
                fail("exit code %d" % code)
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()
            server.terminate()
            server.wait()

        saved = ""
        for place, _, names in os.walk(config):
            if "VESKCONV.INI" in names:
                with open(os.path.join(place, "VESKCONV.INI"), encoding="utf-8", errors="replace") as settings:
                    saved = settings.read()
        if "Last VSK File Name=" + sample not in saved:
            fail("settings do not hold the VSK name:\n" + saved)
        check_segy(output, ping_count)
    print("1 passed, 0 failed", flush=True)


if __name__ == "__main__":
    main()
