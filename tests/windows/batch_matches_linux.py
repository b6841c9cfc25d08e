#!/usr/bin/env python3
"""veskconv-batch.exe under Wine against the Linux build: surveys made by the
writer (vskgen), every channel set, both byte orders, the same inputs and
output names, with --preview; every SEG-Y file must be the same bytes and
every picture the same pixels (the PNG encoders differ). vskgen.exe must make
surveys of the same records as the Linux vskgen (a few sample values may
differ: the two C runtimes round sin and exp differently in the last bit).

    batch_matches_linux.py LINUX_BUILD WINDOWS_BUILD WORK_FOLDER
"""
import filecmp
import os
import shutil
import subprocess
import sys

from PIL import Image

WINE = os.environ.get("VESK_WINE", "wine")

SURVEYS = {
    # Four pairs: every pair and every single channel, positions in metres.
    "eight": ["--pings", "120", "--pairs", "100,200,300,400", "--no-subbottom", "--samples", "300", "--nav", "metres"],
    # Subbottom, an unrecognised channel, 8-bit samples, latitude/longitude.
    "mixed": ["--seed", "7", "--pings", "90", "--pairs", "100,400", "--subbottom", "4", "--single", "other:50",
              "--samples", "250", "--bits", "8", "--nav", "degrees"],
}

RUNS = (
    [("eight", ["-c", f"pair{n}"]) for n in range(1, 5)]
    + [("eight", ["-c", f"ch{n}"]) for n in range(1, 9)]
    + [("mixed", ["-c", "subbottom"]), ("mixed", ["-c", "pair2"]), ("mixed", ["-c", "ch6"])]
    + [("eight", ["-c", "ch3", "--reverse"]), ("mixed", ["-c", "pair1", "--positions", "sensor"])]
)

BYTE_ORDERS = ("little", "big")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def pixels(png):
    with Image.open(png) as picture:
        return picture.mode, picture.size, bytes(picture.getdata())


def run(command, what):
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
    if done.returncode != 0:
        sys.exit(f"{what} failed ({done.returncode}): {' '.join(command)}\n{done.stdout}")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    linux_build, windows_build, work = sys.argv[1:]
    linux_vskgen = os.path.join(linux_build, "tools", "vskgen", "vskgen")
    linux_batch = os.path.join(linux_build, "tools", "veskconv_batch", "veskconv-batch")
    windows_vskgen = os.path.join(windows_build, "vskgen.exe")
    windows_batch = os.path.join(windows_build, "veskconv-batch.exe")
    for program in (linux_vskgen, linux_batch, windows_vskgen, windows_batch):
        if not os.path.isfile(program):
            sys.exit(f"missing {program}")

    shutil.rmtree(work, ignore_errors=True)
    surveys = os.path.join(work, "surveys")
    os.makedirs(surveys)
    for name, options in SURVEYS.items():
        survey = os.path.join(surveys, name + ".vsk")
        from_windows = os.path.join(surveys, name + ".windows.vsk")
        run([linux_vskgen, "--output", survey] + options, "vskgen")
        run([WINE, windows_vskgen, "--output", windows_path(from_windows)] + options, "vskgen.exe")
        if os.path.getsize(survey) != os.path.getsize(from_windows):
            sys.exit(f"vskgen.exe made another {name} survey than vskgen")
        with open(survey, "rb") as a, open(from_windows, "rb") as b:
            differing = sum(x != y for x, y in zip(a.read(), b.read()))
        print(f"{name}.vsk: {os.path.getsize(survey)} bytes from both vskgen builds, {differing} bytes differ")

    compared = 0
    for name, options in RUNS:
        for order in BYTE_ORDERS:
            label = "-".join([name] + [o.lstrip("-") for o in options] + [order])
            survey = os.path.join(surveys, name + ".vsk")
            outputs = {}
            for system in ("linux", "windows"):
                folder = os.path.join(work, system, label)
                os.makedirs(folder)
                outputs[system] = os.path.join(folder, name + ".SEG")
            common = options + ["--byte-order", order, "--preview"]
            run([linux_batch] + common + ["-o", outputs["linux"], survey], "veskconv-batch")
            run([WINE, windows_batch] + common + ["-o", windows_path(outputs["windows"]), windows_path(survey)],
                "veskconv-batch.exe")
            if not filecmp.cmp(outputs["linux"], outputs["windows"], shallow=False):
                sys.exit(f"{label}: the Windows SEG-Y file differs from the Linux one")
            pictures = {system: os.path.splitext(output)[0] + ".png" for system, output in outputs.items()}
            linux_pixels = pixels(pictures["linux"])
            if pixels(pictures["windows"]) != linux_pixels:
                sys.exit(f"{label}: the Windows picture differs from the Linux one")
            compared += 1
            print(f"{label}: {os.path.getsize(outputs['linux'])} bytes, identical; "
                  f"picture {linux_pixels[1][0]} x {linux_pixels[1][1]}, same pixels")
    print(f"{len(SURVEYS)} surveys, {compared} SEG-Y files and their pictures identical")


if __name__ == "__main__":
    main()
