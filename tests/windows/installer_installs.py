#!/usr/bin/env python3
"""The installer made by cpack, run silently under Wine on an X server: the
three programs, the README, the licence and the sample survey land in the
chosen folder and run from there; the Start menu's shortcut starts
veskconv.exe (its window appears); .vsk files are registered to open in it,
the file passed as "%1", and `start` on the installed sample (a double-click)
brings up the window with the survey taken; the script shows the licence's text and no
components page; the uninstaller takes the files, the shortcut and the file
type away again.

    installer_installs.py WINDOWS_BUILD WORK_FOLDER [SCREENSHOT.png]

The Wine prefix is WORK_FOLDER/wineprefix, made on first use: a window needs
a prefix whose Wine started on the X server.
"""
import glob
import os
import subprocess
import sys

from window_end_to_end import IDC_EXIT, IDC_SONAR_FILE_NAME, IDC_SONAR_PING_COUNT, IDC_STATUS, READY, WINDOW_CLASS, \
    WINDOW_TITLE, Desktop, fail, start_xvfb, wait_for

FOLDER = "C:\\veskconv-installer-test"
INSTALLED = ["veskconv.exe", "veskconv-batch.exe", "vskgen.exe", "README.md", "LICENSE", "samples\\survey-line-1.vsk"]
SHORTCUT = "VESKCONV.lnk"
SURVEY_TYPE = "VESKCONV.Survey"
OPEN_COMMAND = f'"{FOLDER}\\veskconv.exe" "%1"'
LICENSE_START = "MIT License"
SAMPLE = FOLDER + "\\samples\\survey-line-1.vsk"
SAMPLE_PING_COUNT = " 200 (sonar/subbottom) "


def check_script(windows_build):
    scripts = glob.glob(os.path.join(windows_build, "_CPack_Packages", "*", "NSIS", "project.nsi"))
    if len(scripts) != 1:
        fail(f"no single installer script in {windows_build}: {scripts}")
    with open(scripts[0], encoding="utf-8-sig") as script:
        text = script.read()
    pages = [line.split('"')[1] for line in text.splitlines() if "MUI_PAGE_LICENSE" in line and '"' in line]
    if len(pages) != 1 or not open(pages[0]).read().startswith(LICENSE_START):
        fail(f"the licence page shows {pages}, not the licence")
    if "MUI_PAGE_COMPONENTS" in text:
        fail("the installer has a components page")


def registry_default(desktop, key):
    done = desktop.wine(["reg", "query", key, "/ve"])
    return done.stdout if done.returncode == 0 else None


def start_shortcut(desktop, drive_c):
    shortcuts = glob.glob(os.path.join(drive_c, "**", "Start Menu", "Programs", "**", SHORTCUT), recursive=True)
    if len(shortcuts) != 1:
        fail(f"the Start menu holds {shortcuts}, not one {SHORTCUT}")
    with open(shortcuts[0], "rb") as link:
        target = (FOLDER + "\\veskconv.exe").lower()
        raw = link.read().lower()
        if target.encode() not in raw and target.encode("utf-16-le") not in raw:
            fail(f"{SHORTCUT} does not name {target}")
    desktop.wine(["start", "/unix", shortcuts[0]])
    wait_for("the window the shortcut starts", lambda: desktop.window_rect(WINDOW_CLASS, WINDOW_TITLE))
    wait_for("' Ready'", lambda: (desktop.main_control(IDC_STATUS) or {}).get("text") == READY)
    desktop.click(IDC_EXIT)
    wait_for("the window to close", lambda: desktop.window_rect(WINDOW_CLASS, WINDOW_TITLE) is None)
    return shortcuts[0]


def open_by_association(desktop, screenshot):
    """What a double-click on a .vsk file does: the shell's open command."""
    desktop.wine(["start", SAMPLE])
    wait_for("the window with the sample taken",
             lambda: (desktop.main_control(IDC_SONAR_FILE_NAME) or {}).get("text") == SAMPLE
             and desktop.main_control(IDC_SONAR_PING_COUNT)["text"] == SAMPLE_PING_COUNT
             and desktop.main_control(IDC_STATUS)["text"] == READY)
    if screenshot:
        left, top, right, bottom = desktop.window_rect(WINDOW_CLASS, WINDOW_TITLE)
        subprocess.run(["import", "-window", "root", "-crop", f"{right - left}x{bottom - top}+{left}+{top}", screenshot],
                       env=desktop.env, check=True)
    desktop.click(IDC_EXIT)
    wait_for("the window to close", lambda: desktop.window_rect(WINDOW_CLASS, WINDOW_TITLE) is None)


def main():
    windows_build, work = sys.argv[1:3]
    screenshot = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None
    installers = glob.glob(os.path.join(windows_build, "VESKCONV-*-win64.exe"))
    if len(installers) != 1:
        print("installer_installs: not run: no installer in the build folder (cpack makes it)")
        return
    check_script(windows_build)
    os.makedirs(work, exist_ok=True)
    xvfb, display = start_xvfb()
    prefix = os.path.join(os.path.abspath(work), "wineprefix")
    desktop = Desktop(windows_build, prefix, display)
    installed = False
    try:
        if not os.path.isdir(os.path.join(prefix, "drive_c")):
            desktop.wine(["wineboot", "--init"])
        done = desktop.wine([installers[0], "/S", "/D=" + FOLDER])
        installed = True
        if done.returncode != 0:
            fail(f"the installer failed ({done.returncode}): {done.stdout}{done.stderr}")
        folder = desktop.wine(["winepath", "-u", FOLDER]).stdout.strip()
        missing = [name for name in INSTALLED if not os.path.isfile(os.path.join(folder, *name.split("\\")))]
        if missing:
            fail(f"not installed: {missing}")
        done = desktop.wine([FOLDER + "\\veskconv-batch.exe", "--info", FOLDER + "\\samples\\survey-line-1.vsk"])
        if done.returncode != 0 or "200" not in done.stdout:
            fail(f"the installed veskconv-batch.exe did not read the installed sample: {done.stdout}{done.stderr}")
        shortcut = start_shortcut(desktop, os.path.join(prefix, "drive_c"))
        extension = registry_default(desktop, "HKCR\\.vsk") or ""
        if SURVEY_TYPE not in extension:
            fail(f".vsk is not {SURVEY_TYPE}: {extension!r}")
        command = registry_default(desktop, f"HKCR\\{SURVEY_TYPE}\\shell\\open\\command") or ""
        if OPEN_COMMAND not in command:
            fail(f"{SURVEY_TYPE} opens with {command!r}, not {OPEN_COMMAND}")
        open_by_association(desktop, screenshot)

        done = desktop.wine([FOLDER + "\\Uninstall.exe", "/S", "_?=" + FOLDER])
        installed = False
        left = [name for name in INSTALLED if os.path.exists(os.path.join(folder, *name.split("\\")))]
        left += [shortcut] if os.path.exists(shortcut) else []
        left += [key for key in ("HKCR\\.vsk", f"HKCR\\{SURVEY_TYPE}") if registry_default(desktop, key) is not None]
        if done.returncode != 0 or left:
            fail(f"the uninstaller left {left} ({done.returncode}): {done.stdout}")
    finally:
        if installed:
            desktop.wine([FOLDER + "\\Uninstall.exe", "/S", "_?=" + FOLDER])
        subprocess.run(["wineserver", "-k"], env=desktop.env)
        xvfb.terminate()
        xvfb.wait()
    print(f"installed {len(INSTALLED)} files into {FOLDER}; the shortcut started veskconv.exe; .vsk opens with "
          f"{OPEN_COMMAND} and opened the sample in the window; uninstalled files, shortcut and file type")


if __name__ == "__main__":
    main()
