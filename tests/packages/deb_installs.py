#!/usr/bin/env python3
"""The Debian package as a user meets it: apt-get installs it; the programs
answer --version from the PATH, man finds their pages, the installed vskgen
and veskconv-batch write and convert a survey; a .vsk file (and a VSK file by
its first bytes) is application/x-vsk, opened with VESKCONV, and xdg-open
on it, on an X server (Xvfb, with icewm where it is installed), brings up
the window with the survey taken (read through the window's dump,
VESK_QT_DUMP; a screenshot where asked); apt-get purge leaves the file tree
and the desktop's caches as they were.

    deb_installs.py PACKAGE.deb [SCREENSHOT.png]

It changes the system: as root, on a machine meant for it (CI), and never
where a package veskconv is installed already.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PROGRAMS = ["veskconv", "veskconv-batch", "vskgen"]
MIME_TYPE = "application/x-vsk"
TREES = ["/usr", "/etc", "/opt", "/var/lib/dpkg/info"]
# What the desktop's dpkg triggers write from the package's files.
IDC_SONAR_FILE_NAME, IDC_SONAR_PING_COUNT = 1718, 1725
WINDOW_TIMEOUT_S = 60
CACHES = ["/usr/share/mime", "/usr/share/applications", "/usr/share/icons/hicolor/icon-theme.cache", "/etc/mailcap"]


def run(*arguments, env=None):
    done = subprocess.run(arguments, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=env)
    return done.returncode, done.stdout


def check(condition, message):
    if not condition:
        sys.exit("FAIL: " + message)


def packages():
    return set(run("dpkg-query", "-W", "-f", "${Package}\\n")[1].split())


def apt_get(*arguments):
    status, output = run("apt-get", "-y", "-q", *arguments, env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    check(status == 0, f"apt-get {' '.join(arguments)}: {output}")


def check_installed(work):
    for program in PROGRAMS:
        status, output = run(program, "--version")
        check(status == 0 and output.startswith(f"{program} (VESKCONV) "), f"{program} --version: {output!r}")
        page = run("man", "-w", program)[1].strip()
        check(page == f"/usr/share/man/man1/{program}.1.gz", f"man -w {program}: {page!r}")
    survey, bare = os.path.join(work, "line7.vsk"), os.path.join(work, "line7")
    for command in (["vskgen", "-o", survey, "--pings", "20"], ["cp", survey, bare],
                    ["veskconv-batch", "-c", "pair1", survey]):
        status, output = run(*command)
        check(status == 0, f"{' '.join(command)}: {output}")
    # No desktop environment, and a home without settings: xdg-mime's own rules.
    bare_desktop = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")} | {"HOME": work}
    for path in (survey, bare):
        found = run("xdg-mime", "query", "filetype", path, env=bare_desktop)[1].strip()
        check(found == MIME_TYPE, f"xdg-mime takes {os.path.basename(path)} for {found!r}")
    opener = run("xdg-mime", "query", "default", MIME_TYPE, env=bare_desktop)[1].strip()
    check(opener == "veskconv.desktop", f"xdg-mime opens {MIME_TYPE} with {opener!r}")
    return survey, bare_desktop


def dumped_controls(dump):
    """Control id to text, from the window's dump."""
    try:
        with open(dump, encoding="utf-8") as lines:
            return {int(f[1]): f[10] for f in (line.split("\t") for line in lines) if f[0] == "control" and len(f) == 12}
    except FileNotFoundError:
        return {}


def check_double_click(work, survey, bare_desktop, screenshot):
    """xdg-open, as a file manager's double-click, on an X server of its own."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                              pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        display = ":" + numbers.readline().strip()
    env = bare_desktop | {"DISPLAY": display, "VESK_QT_DUMP": os.path.join(work, "window.txt")}
    helpers, opened = [server], None
    try:
        if shutil.which("icewm"):
            helpers.append(subprocess.Popen(["icewm"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        opened = subprocess.Popen(["xdg-open", survey], env=env, start_new_session=True,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wanted = {IDC_SONAR_FILE_NAME: survey, IDC_SONAR_PING_COUNT: " 20 (sonar/subbottom) "}
        deadline = time.monotonic() + WINDOW_TIMEOUT_S
        while {k: dumped_controls(env["VESK_QT_DUMP"]).get(k) for k in wanted} != wanted:
            check(time.monotonic() < deadline, f"xdg-open: the window never showed {wanted}: "
                                               f"{dumped_controls(env['VESK_QT_DUMP'])}")
            time.sleep(0.1)
        if screenshot:
            time.sleep(1)  # the window manager's frame
            subprocess.run(["import", "-window", "root", screenshot], env=env, check=True)
    finally:
        if opened:
            os.killpg(opened.pid, signal.SIGTERM)  # xdg-open and the veskconv it started
            opened.wait()
        for helper in reversed(helpers):
            helper.terminate()
            helper.wait()


def main():
    check(len(sys.argv) in (2, 3), __doc__)
    check(os.geteuid() == 0, "needs root: it installs the package")
    check("veskconv" not in packages(), "a package veskconv is installed here already; it is left alone")
    before, tree = packages(), set(run("find", *TREES, "-xdev")[1].splitlines())
    apt_get("install", os.path.abspath(sys.argv[1]))
    # What apt-get brought along stays; its files are no concern of the removal.
    theirs = set()
    for other in packages() - before - {"veskconv"}:
        theirs.update(run("dpkg-query", "-L", other)[1].splitlines())
    try:
        with tempfile.TemporaryDirectory() as work:
            check_double_click(work, *check_installed(work), sys.argv[2] if len(sys.argv) == 3 else None)
    finally:
        apt_get("purge", "veskconv")
    changed = sorted((set(run("find", *TREES, "-xdev")[1].splitlines()) ^ tree) - theirs)
    check(not changed, f"after the removal {len(changed)} paths differ: {changed[:20]}")
    mentions = run("grep", "-rl", "-e", MIME_TYPE, "-e", "veskconv", *[c for c in CACHES if os.path.exists(c)])[1]
    check(not mentions, f"after the removal still naming VESKCONV: {mentions}")
    print(f"installed: {', '.join(PROGRAMS)} ran, man found their pages, line7.vsk and line7 are {MIME_TYPE} "
          f"for veskconv.desktop, xdg-open line7.vsk opens it in the window; purged: {' '.join(TREES)} as before, no cache names VESKCONV")


if __name__ == "__main__":
    main()
