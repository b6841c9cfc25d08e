#!/usr/bin/env python3
"""The installer made by cpack, run silently under Wine: the three programs,
the README and the sample survey land in the chosen folder, the programs run
from there, and the uninstaller takes everything away again.

    installer_installs.py WINDOWS_BUILD
"""
import glob
import os
import subprocess
import sys
import tempfile

FOLDER = "C:\\veskconv-installer-test"
INSTALLED = ["veskconv.exe", "veskconv-batch.exe", "vskgen.exe", "README.md", "samples\\survey-line-1.vsk"]


def wine(arguments):
    # A file, not a pipe: Wine's services inherit the handle and would hold a pipe open.
    with tempfile.TemporaryFile("w+") as out:
        done = subprocess.run(["wine"] + arguments, stdout=out, stderr=subprocess.STDOUT)
        out.seek(0)
        return done.returncode, out.read()


def unix_path(windows_path):
    status, answer = wine(["winepath", "-u", windows_path])
    return answer.strip() if status == 0 else None


def main():
    installers = glob.glob(os.path.join(sys.argv[1], "VESKCONV-*-win64.exe"))
    if len(installers) != 1:
        print("installer_installs: not run: no installer in the build folder (cpack makes it)")
        return
    status, output = wine([installers[0], "/S", "/D=" + FOLDER])
    if status != 0:
        sys.exit(f"the installer failed ({status}): {output}")
    folder = unix_path(FOLDER)
    missing = [name for name in INSTALLED if not os.path.isfile(os.path.join(folder, *name.split("\\")))]
    if missing:
        sys.exit(f"not installed: {missing}")
    status, output = wine([FOLDER + "\\veskconv-batch.exe", "--info", FOLDER + "\\samples\\survey-line-1.vsk"])
    if status != 0 or "200" not in output:
        sys.exit(f"the installed veskconv-batch.exe did not read the installed sample: {output}")
    status, output = wine([FOLDER + "\\Uninstall.exe", "/S", "_?=" + FOLDER])
    left = [name for name in INSTALLED if os.path.exists(os.path.join(folder, *name.split("\\")))]
    if status != 0 or left:
        sys.exit(f"the uninstaller left {left} ({status}): {output}")
    print(f"installed {len(INSTALLED)} files into {FOLDER}, ran veskconv-batch.exe there, uninstalled them")


if __name__ == "__main__":
    main()
