"""Reads a SEG-Y file the program wrote with segyio and compares it with what
the test expects. Run as a subprocess: segyio aborts the whole process on a
file opened with the wrong byte order.

usage: check_segy.py <segy file> <expectation file>

The expectation file is JSON: {"endian": "little" | "big",
"samples_per_trace": n, "traces": [[sample, ...], ...]} with the samples as
signed 16-bit values. Prints every difference; exit status 1 if any.
"""

import json
import sys

import numpy
import segyio

INT16_FORMAT = 3


def main():
    segy_path, expectation_path = sys.argv[1], sys.argv[2]
    with open(expectation_path) as expectation_file:
        expected = json.load(expectation_file)
    problems = []
    # The options the README gives: a little-endian file needs endian='little',
    # a big-endian one opens with segyio's defaults.
    options = {"endian": "little"} if expected["endian"] == "little" else {}
    with segyio.open(segy_path, "r", ignore_geometry=True, **options) as segy:
        if int(segy.format) != INT16_FORMAT:
            problems.append(f"sample format {int(segy.format)}, expected {INT16_FORMAT}")
        if len(segy.samples) != expected["samples_per_trace"]:
            problems.append(f"{len(segy.samples)} samples per trace, expected {expected['samples_per_trace']}")
        traces = expected["traces"]
        if segy.tracecount != len(traces):
            problems.append(f"{segy.tracecount} traces, expected {len(traces)}")
        for index in range(min(segy.tracecount, len(traces))):
            found = numpy.asarray(segy.trace[index]).astype(numpy.int64)
            wanted = numpy.asarray(traces[index], dtype=numpy.int64)
            if found.shape != wanted.shape or not numpy.array_equal(found, wanted):
                problems.append(f"trace {index}: {found[:8].tolist()}... expected {wanted[:8].tolist()}...")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
