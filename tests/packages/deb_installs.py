#!/usr/bin/env python3
"""The Debian package installed, used and removed as a user would: apt-get
installs it, the three programs answer --version from the PATH and the
installed veskconv-batch converts a survey the installed vskgen wrote, the
man pages are found, a .vsk file (and a VSK file by its first bytes alone)
is application/x-vsk and VESKCONV opens it, and apt-get purge leaves the file
tree and the desktop's caches as they were.

    deb_installs.py PACKAGE.deb

It changes the running system: as root, on a machine meant for it (CI), and
never where a package veskconv is installed already.
"""
import os
import subprocess
import sys
import tempfile

PACKAGE = "veskconv"
PROGRAMS = ["veskconv", "veskconv-batch", "vskgen"]
MIME_TYPE = "application/x-vsk"
TREES = ["/usr", "/etc", "/opt", "/var/lib/dpkg/info"]
# What the desktop's triggers write from the package's files.
CACHES = ["/usr/share/mime", "/usr/share/applications", "/usr/share/icons/hicolor/icon-theme.cache", "/etc/mailcap"]


def run(arguments, **options):
    return subprocess.run(arguments, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **options)


def fail(message):
    sys.exit("FAIL: " + message)


def installed_packages():
    return set(run(["dpkg-query", "-W", "-f", "${Package}\\n"]).stdout.split())


def file_tree():
    found = run(["find"] + TREES + ["-xdev"]).stdout.splitlines()
    return set(found)


def apt_get(arguments):
    done = run(["apt-get", "-y", "-q"] + arguments, env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    if done.returncode != 0:
        fail(f"apt-get {' '.join(arguments)}: {done.stdout}")


def check_installed(work):
    for program in PROGRAMS:
        done = run([program, "--version"], env=dict(os.environ, PATH="/usr/bin:/bin"))
        first = done.stdout.splitlines()[0] if done.stdout else ""
        if done.returncode != 0 or not first.startswith(f"{program} (VESKCONV) "):
            fail(f"{program} --version: {done.returncode} {done.stdout!r}")
        page = run(["man", "-w", program]).stdout.strip()
        if page != f"/usr/share/man/man1/{program}.1.gz":
            fail(f"man -w {program}: {page!r}")
    print(f"{', '.join(PROGRAMS)} answer --version ({first.split()[-1]}); man finds their pages")

    survey = os.path.join(work, "line7.vsk")
    bare = os.path.join(work, "line7")
    for arguments in (["vskgen", "--output", survey, "--pings", "20"], ["cp", survey, bare],
                      ["veskconv-batch", "-c", "pair1", survey]):
        done = run(arguments)
        if done.returncode != 0:
            fail(f"{' '.join(arguments)}: {done.stdout}")
    # No desktop: xdg-mime's own rules, and a home of no one's settings.
    desktop = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
    desktop["HOME"] = work
    for path in (survey, bare):
        found = run(["xdg-mime", "query", "filetype", path], env=desktop).stdout.strip()
        if found != MIME_TYPE:
            fail(f"xdg-mime takes {os.path.basename(path)} for {found!r}, not {MIME_TYPE}")
    opener = run(["xdg-mime", "query", "default", MIME_TYPE], env=desktop).stdout.strip()
    if opener != "veskconv.desktop":
        fail(f"xdg-mime opens {MIME_TYPE} with {opener!r}")
    print(f"line7.vsk and line7 (by its first bytes) are {MIME_TYPE}, opened with {opener}; "
          "the installed programs wrote and converted line7.vsk")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    package = os.path.abspath(sys.argv[1])
    if os.geteuid() != 0:
        fail("needs root: it installs the package")
    if PACKAGE in installed_packages():
        fail(f"a package {PACKAGE} is installed here already; it is left alone")
    packages, tree = installed_packages(), file_tree()
    apt_get(["install", package])
    added = installed_packages() - packages - {PACKAGE}
    # What apt-get brought along stays, and is no concern of the package's removal.
    theirs = set()
    for other in added:
        theirs.update(run(["dpkg-query", "-L", other]).stdout.splitlines())
    if added:
        print(f"apt-get also installed {' '.join(sorted(added))}")
    try:
        with tempfile.TemporaryDirectory() as work:
            check_installed(work)
    finally:
        apt_get(["purge", PACKAGE])
    changed = sorted((file_tree() ^ tree) - theirs)
    if changed:
        fail(f"after the removal {len(changed)} paths differ: {changed[:20]}")
    mentions = run(["grep", "-rl", "-e", MIME_TYPE, "-e", "veskconv"] + [c for c in CACHES if os.path.exists(c)])
    if mentions.stdout:
        fail(f"after the removal still naming VESKCONV: {mentions.stdout}")
    print(f"removed: {' '.join(TREES)} hold the same paths as before, no cache names VESKCONV")
    print("PASS")


if __name__ == "__main__":
    main()
