#!/usr/bin/env python3
"""The Debian package as a user meets it: apt-get installs it; the programs
answer --version from the PATH, man finds their pages, the installed vskgen
and veskconv-batch write and convert a survey; a .vsk file (and a VSK file by
its first bytes) is application/x-vsk, opened with VESKCONV; apt-get purge
leaves the file tree and the desktop's caches as they were.

    deb_installs.py PACKAGE.deb

It changes the system: as root, on a machine meant for it (CI), and never
where a package veskconv is installed already.
"""
import os
import subprocess
import sys
import tempfile

PROGRAMS = ["veskconv", "veskconv-batch", "vskgen"]
MIME_TYPE = "application/x-vsk"
TREES = ["/usr", "/etc", "/opt", "/var/lib/dpkg/info"]
# What the desktop's dpkg triggers write from the package's files.
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


def main():
    check(len(sys.argv) == 2, __doc__)
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
            check_installed(work)
    finally:
        apt_get("purge", "veskconv")
    changed = sorted((set(run("find", *TREES, "-xdev")[1].splitlines()) ^ tree) - theirs)
    check(not changed, f"after the removal {len(changed)} paths differ: {changed[:20]}")
    mentions = run("grep", "-rl", "-e", MIME_TYPE, "-e", "veskconv", *[c for c in CACHES if os.path.exists(c)])[1]
    check(not mentions, f"after the removal still naming VESKCONV: {mentions}")
    print(f"installed: {', '.join(PROGRAMS)} ran, man found their pages, line7.vsk and line7 are {MIME_TYPE} "
          f"for veskconv.desktop; purged: {' '.join(TREES)} as before, no cache names VESKCONV")


if __name__ == "__main__":
    main()
