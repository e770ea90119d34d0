#!/usr/bin/env python3
"""Derives from a bundled sample the regression files for the faults fuzzing found.

Usage: make_fuzz_findings.py [SOURCE] [OUTDIR]
  SOURCE  defaults to tests/data/av_wmv2_wma2_meta.wmv
  OUTDIR  defaults to tests/regress

Times weeks ahead held a reader paced by a one-second user clock for millions of steps, and a
stream time offset millennia ahead for ever; a claimed object size took that much memory before
any byte of the object arrived. README.md there
describes the files; their lines in its expected.tsv say how they must read.
"""
import os
import struct
import sys

sys.dont_write_bytecode = True  # nothing may appear among the regression files
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "regress"))
from make_damaged import STREAM_PROPERTIES, Sample  # noqa: E402

WEEKS_AHEAD_MS = 0xF0000000  # about 46 days


def presentation_time_leap(sample):
    """The first payload that starts a media object in a middle packet gets a time weeks ahead."""
    out = bytearray(sample.data)
    index = sample.middle_packet(lambda f: f["multiple"])
    for p in sample.payloads(index):
        if p["offset"] == 0 and p["replicated_length"] >= 8:
            struct.pack_into("<I", out, p["replicated_at"] + 4, WEEKS_AHEAD_MS)
            return bytes(out)
    raise ValueError("no payload starts an object in packet %d" % index)


def send_time_leap(sample):
    """A middle packet's send time weeks ahead of the packets around it."""
    out = bytearray(sample.data)
    f = sample.packet_fields(sample.middle_packet(lambda f: True))
    send_at = f["padding_at"] + (0, 1, 2, 4)[f["padding_type"]]
    struct.pack_into("<I", out, send_at, WEEKS_AHEAD_MS)
    return bytes(out)


def object_size_claimed(sample):
    """The first payload that starts a media object in a middle packet claims a 32 MiB object."""
    out = bytearray(sample.data)
    index = sample.middle_packet(lambda f: f["multiple"])
    for p in sample.payloads(index):
        if p["offset"] == 0 and p["replicated_length"] >= 8:
            struct.pack_into("<I", out, p["replicated_at"], 32 << 20)
            return bytes(out)
    raise ValueError("no payload starts an object in packet %d" % index)


def stream_time_offset_huge(sample):
    """The audio stream's Time Offset near 2**64 (100 ns): its samples lie millennia ahead."""
    out = bytearray(sample.data)
    struct.pack_into("<Q", out, sample.child(STREAM_PROPERTIES, 1) + 56, 18444492273895866368)
    return bytes(out)


FILES = (
    ("presentation_time_weeks_ahead.wmv", presentation_time_leap),
    ("send_time_weeks_ahead.wmv", send_time_leap),
    ("object_size_32mib_claimed.wmv", object_size_claimed),
    ("stream_time_offset_millennia.wmv", stream_time_offset_huge),
)


def main(argv):
    tests = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    source = argv[1] if len(argv) > 1 else os.path.join(tests, "data", "av_wmv2_wma2_meta.wmv")
    outdir = argv[2] if len(argv) > 2 else os.path.join(tests, "regress")
    with open(source, "rb") as f:
        sample = Sample(f.read())
    for name, build in FILES:
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(build(sample))
        print(name)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
