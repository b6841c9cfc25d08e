"""Reads a SEG-Y file the engine wrote with segyio and compares it with the
expectations the test wrote: trace count, binary header, every trace header
field the engine sets (every other one must be 0) and every sample.

Usage: check_segy.py SEGY EXPECTATIONS.json little|big
Exit status 0 when everything matches; the mismatches are printed otherwise.
"""
import json
import struct
import sys

import segyio

# segyio 1.8.3 reads bytes 61-64 of a little-endian trace header as two
# bytes, so that field is read here directly.
OWN_READ_FIELDS = {61: 4}
# The sampling rate lies in the standard's unassigned area.
SAMPLING_RATE_BYTE = 3261
REEL_HEADER_BYTES = 3600
TRACE_HEADER_BYTES = 240


def own_field(raw, offset, width, endian):
    order = "<" if endian == "little" else ">"
    code = {2: "h", 4: "i"}[width]
    return struct.unpack_from(order + code, raw, offset)[0]


def main():
    segy_path, expectations_path, endian = sys.argv[1:4]
    with open(expectations_path) as handle:
        expected = json.load(handle)
    with open(segy_path, "rb") as handle:
        raw = handle.read()
    problems = []

    def check(what, got, want):
        if got != want:
            problems.append(f"{what}: got {got!r}, expected {want!r}")

    samples = expected["samplesPerTrace"]
    traces = expected["traces"]
    with segyio.open(segy_path, "r", ignore_geometry=True, endian=endian) as f:
        check("trace count", f.tracecount, len(traces))
        check("samples per trace", len(f.samples), samples)
        for field, value in expected["binary"].items():
            check(f"binary {field}", f.bin[int(field)], value)
        # Every binary header byte outside the set fields is zero.
        set_binary = {int(k) for k in expected["binary"]} | {SAMPLING_RATE_BYTE}
        for byte in range(3201, REEL_HEADER_BYTES + 1):
            if byte not in set_binary and byte - 1 not in set_binary:
                check(f"unset binary byte {byte}", raw[byte - 1], 0)
        # segyio takes the text header for EBCDIC; ours is ASCII, as built.
        check("text header length", len(f.text[0]), 3200)
        check("text header start", raw[:10], b"C 1 CLIENT")
        check("base name on line 2", raw[89:94], b"LINE1")

        set_fields = set()
        for trace in traces:
            set_fields.update(int(k) for k in trace["fields"])
        for index, trace in enumerate(traces):
            header = f.header[index]
            start = REEL_HEADER_BYTES + index * (TRACE_HEADER_BYTES + 2 * samples)
            for field, value in trace["fields"].items():
                field = int(field)
                if field in OWN_READ_FIELDS:
                    got = own_field(raw, start + field - 1, OWN_READ_FIELDS[field], endian)
                else:
                    got = header[field]
                check(f"trace {index} field {field}", got, value)
            for field in segyio.TraceField.enums():
                if int(field) not in set_fields and int(field) not in OWN_READ_FIELDS:
                    check(f"trace {index} unset field {int(field)}", header[field], 0)
            got_samples = [int(v) for v in f.trace[index]]
            if got_samples != trace["samples"]:
                first = next(i for i, (a, b) in enumerate(zip(got_samples, trace["samples"])) if a != b) \
                    if len(got_samples) == len(trace["samples"]) else -1
                problems.append(f"trace {index} samples differ (first at {first})")
    order = "<" if endian == "little" else ">"
    check("sampling rate", struct.unpack_from(order + "H", raw, SAMPLING_RATE_BYTE - 1)[0], expected["samplingRate"])
    check("file size", len(raw), REEL_HEADER_BYTES + len(traces) * (TRACE_HEADER_BYTES + 2 * samples))

    for problem in problems[:50]:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
