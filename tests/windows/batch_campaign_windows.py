#!/usr/bin/env python3
"""veskconv-batch.exe under Wine, as a campaign meets Windows:

- Ctrl-C (Wine hands the console's SIGINT to the program as CTRL_C_EVENT)
  with one worker that never answers: the batch ends every worker itself
  (TerminateProcess after the grace), says once what is unfinished, and
  leaves nothing half done;
- a worker that is ended costs only the input it was converting;
- one survey under two names (a hard link) is held by one worker at a time;
- the longest name the window takes is written, with the Linux build's bytes;
- a picture another program holds is left as it was;
- --worker without a batch is a usage error.

    batch_campaign_windows.py LINUX_BUILD WINDOWS_BUILD WORK_FOLDER
"""
import filecmp
import os
import shutil
import signal
import subprocess
import sys
import time

WINE = os.environ.get("VESK_WINE", "wine")
UNDER_WAY_BYTES = 1 << 20
POLL_SECONDS = 0.01
HANG_SECONDS = 300
# The holder's kernel32 access and share mode: GENERIC_READ, FILE_SHARE_READ.
HOLD_READING = ["2147483648", "1"]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def defaults():
    for number in (signal.SIGINT, signal.SIGHUP, signal.SIGPIPE):
        signal.signal(number, signal.SIG_DFL)


def start(command, cwd):
    return subprocess.Popen(command, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, errors="replace", preexec_fn=defaults)


def finish(process):
    output, _ = process.communicate(timeout=HANG_SECONDS)
    return process.returncode, output


def run(command, cwd):
    return finish(start(command, cwd))


def processes():
    """(pid, command line, open files) of every process we can see."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as line:
                command = line.read().replace(b"\0", b" ").decode(errors="replace")
            files = {os.readlink(f"/proc/{entry}/fd/{fd}") for fd in os.listdir(f"/proc/{entry}/fd")}
        except OSError:
            continue
        yield int(entry), command, files


def running(pid):
    """Neither gone nor a zombie that only waits to be reaped."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def wait_for(condition, what, batch):
    deadline = time.monotonic() + HANG_SECONDS
    while time.monotonic() < deadline and batch.poll() is None:
        found = condition()
        if found:
            return found
        time.sleep(POLL_SECONDS)
    sys.exit(f"never came before the batch ended: {what}\n{batch.communicate()[0]}")


def batch_process(batch, token):
    """The Wine process of the batch whose command line holds token."""
    return wait_for(lambda: next((pid for pid, command, _ in processes()
                                  if "veskconv-batch.exe" in command and token in command
                                  and "--worker" not in command), None), "the batch process", batch)


def worker_holding(batch, survey):
    target = os.path.abspath(survey)
    return wait_for(lambda: next((pid for pid, command, files in processes()
                                  if "--worker" in command and target in files), None), "a worker holding " + survey,
                    batch)


def under_way(batch, folder, name):
    def written():
        for entry in os.listdir(folder):
            pending = os.path.join(folder, entry, name)
            if entry.startswith(".veskconv-") and os.path.exists(pending):
                return os.path.getsize(pending) > UNDER_WAY_BYTES
        return False
    wait_for(written, f"{name} under way", batch)


def pending_left(folder):
    return [entry for entry in os.listdir(folder) if entry.startswith(".veskconv-")]


def check(condition, what, output=""):
    if not condition:
        sys.exit(f"FAILED: {what}\n{output}")
    print(f"ok: {what}")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    linux_build, windows_build, work = (os.path.abspath(argument) for argument in sys.argv[1:])
    vskgen = os.path.join(linux_build, "tools", "vskgen", "vskgen")
    linux_batch = os.path.join(linux_build, "tools", "veskconv_batch", "veskconv-batch")
    batch = os.path.join(windows_build, "veskconv-batch.exe")
    holder = os.path.join(windows_build, "tests", "windows", "windows_tests.exe")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    # Large enough that a worker is found while it converts.
    for name, size in (("big1", "200M"), ("big2", "200M")):
        subprocess.run([vskgen, "--output", os.path.join(work, name + ".vsk"), "--bytes", size, "--seed", name[-1]],
                       check=True, stdout=subprocess.DEVNULL)
    for i in range(4):
        subprocess.run([vskgen, "--output", os.path.join(work, f"l{i}.vsk"), "--pings", str(40 + i), "--seed", str(i)],
                       check=True, stdout=subprocess.DEVNULL)

    # Ctrl-C with a worker that never answers.
    os.makedirs(os.path.join(work, "stop"))
    stopping = start([WINE, batch, "-j", "2", "-c", "pair1", "-o", "stop", "big1.vsk", "big2.vsk", "l0.vsk"], work)
    stuck = worker_holding(stopping, os.path.join(work, "big2.vsk"))
    os.kill(stuck, signal.SIGSTOP)
    under_way(stopping, os.path.join(work, "stop"), "big1.SEG")
    os.kill(batch_process(stopping, "stop"), signal.SIGINT)
    code, output = finish(stopping)
    check(code == 130, "Ctrl-C ends the batch with 130", output)
    # On a busy machine big1 (and l0 behind it) may be converted before the signal lands:
    # each is said once, whatever it came to; the stuck big2 is always unfinished.
    check(output.count("interrupted") == 1 and output.endswith("veskconv-batch: interrupted\n") and
          "big2.vsk: stopped unfinished\n" in output and
          all(output.count(f"{name}.vsk: ") == 1 for name in ("big1", "big2", "l0")),
          "each input said once, one 'interrupted'", output)
    check(not pending_left(os.path.join(work, "stop")), "nothing half done is left")
    # Wine's kill of a stopped process lands a moment after the batch has ended.
    deadline = time.monotonic() + HANG_SECONDS
    while running(stuck) and time.monotonic() < deadline:
        time.sleep(POLL_SECONDS)
    check(not running(stuck), "the worker that never answered was ended")

    # A worker ended while it converts.
    os.makedirs(os.path.join(work, "lost"))
    losing = start([WINE, batch, "-j", "2", "-c", "pair1", "-o", "lost", "big1.vsk", "l0.vsk", "l1.vsk", "l2.vsk"],
                   work)
    converting = worker_holding(losing, os.path.join(work, "big1.vsk"))
    under_way(losing, os.path.join(work, "lost"), "big1.SEG")
    os.kill(converting, signal.SIGKILL)
    code, output = finish(losing)
    check(code == 1 and output.count("ended before it was done") == 1 and
          "ERROR: The process converting [big1.vsk] ended before it was done" in output,
          "a worker that is ended costs only its input", output)
    check("3 of 4 files converted" in output and not pending_left(os.path.join(work, "lost")),
          "the other inputs convert and nothing is left", output)

    # One survey under two names, --jobs 2 as --jobs 1.
    os.link(os.path.join(work, "l0.vsk"), os.path.join(work, "hard.vsk"))
    for jobs in ("1", "2"):
        os.makedirs(os.path.join(work, "names" + jobs))
        code, output = run([WINE, batch, "-j", jobs, "-c", "pair1", "-o", "names" + jobs, "l0.vsk", "hard.vsk",
                            "l1.vsk"], work)
        check(code == 0 and "IN USE" not in output, f"one survey under two names, --jobs {jobs}", output)
    check(all(filecmp.cmp(os.path.join(work, "names1", name), os.path.join(work, "names2", name), shallow=False)
              for name in ("l0.SEG", "hard.SEG", "l1.SEG")), "the same outputs for every --jobs")

    # The longest name the window takes: 258 bytes, as typed in a folder of each system's own.
    base = "n" * 251 + ".SEG"
    survey = os.path.join(work, "l1.vsk")
    for system in ("windows", "linux"):
        os.makedirs(os.path.join(work, system, "dd"))
    code, output = run([WINE, batch, "-c", "pair1", "--preview", "-o", "dd\\" + base, windows_path(survey)],
                       os.path.join(work, "windows"))
    check(code == 0, "a 258-byte output name is taken, and its picture", output)
    subprocess.run([linux_batch, "-c", "pair1", "-o", "dd/" + base, survey], cwd=os.path.join(work, "linux"),
                   check=True, stderr=subprocess.DEVNULL)
    check(filecmp.cmp(os.path.join(work, "windows", "dd", base), os.path.join(work, "linux", "dd", base),
                      shallow=False), "with the Linux build's bytes")

    # A picture another program holds.
    picture = os.path.join(work, "held", "l2.png")
    os.makedirs(os.path.dirname(picture))
    with open(picture, "w") as older:
        older.write("a viewer shows this")
    # It holds the file until its input ends.
    with subprocess.Popen([WINE, holder, "--hold"] + HOLD_READING + [windows_path(picture)], cwd=work,
                          stdin=subprocess.PIPE, stdout=subprocess.PIPE, preexec_fn=defaults) as holding:
        check(holding.stdout.read(1) == b"H", "the viewer holds the picture")
        code, output = run([WINE, batch, "-c", "pair1", "--preview", "-o", "held", "l2.vsk"], work)
        holding.stdin.close()
    check(code == 1 and "ERROR: The picture [held/l2.png] could not be written: another program holds it" in output,
          "a picture another program holds is refused", output)
    with open(picture) as kept:
        check(kept.read() == "a viewer shows this", "and left as it was")

    code, output = run([WINE, batch, "--worker", "-c", "pair1", "l3.vsk"], work)
    check(code == 2 and "no batch greeted" in output, "--worker without a batch is a usage error", output)
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
