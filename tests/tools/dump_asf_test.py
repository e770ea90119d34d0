#!/usr/bin/env python3
"""The reference dump reader (dump_asf.py) judged by FFmpeg and by the damaged regression files.

Usage: dump_asf_test.py DATA_DIR REGRESS_DIR

Samples: every media object the dump reassembles (time, size and, for video, key flag, in file
order, per stream) is a packet ffprobe reads, and the dump finds no fault in the data packets;
run as a program on a sample ffprobe reads whole it reports no failed check and exits 0.
Damaged files (regress/expected.tsv): a damaged_read file fails a check its intact source passes,
a whole_read file fails none beyond its source's, and a refused file whose header is damaged
either stops the dump or fails a check. The dump's verdict is its exit status and CHECK lines.
Exit status: 0 pass, 1 fail, 77 ffprobe missing (1 under CI).
"""
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import asf_facts  # noqa: E402
import asftool_run  # noqa: E402
from damaged_files import read_expected  # noqa: E402

SOURCE = "av_wmv2_wma2_meta.wmv"  # the sample make_damaged.py derives every file from
# Refused by the runtime's own limit on stream time offsets; the layout itself is sound.
WELL_FORMED_REFUSED = {"stream_time_offset_millennia.wmv"}


def verdict(path):
    """(exit status, failed checks, stopped): the dump run as a program on path."""
    r = subprocess.run([sys.executable, asf_facts.DUMP_ASF, path], capture_output=True, text=True,
                       timeout=120)
    failed = set(re.findall(r"^CHECK FAIL: (.*)$", r.stdout, re.M))
    return r.returncode, failed, "Traceback" in r.stderr


def ffprobe_objects(path, numbers):
    """{ASF stream number: [(ms without preroll, size, key)]} in file order, as ffprobe reads;
    ffprobe's stream k is numbers[k] (both in the file's stream order)."""
    data = json.loads(subprocess.run(
        ["ffprobe", "-v", "error", "-show_packets", "-show_streams", "-of", "json", path],
        capture_output=True, text=True, check=True, timeout=120).stdout)
    video = {s["index"] for s in data["streams"] if s.get("codec_type") == "video"}
    out = {}
    for p in data["packets"]:
        i = p["stream_index"]
        time = p["pts"] if isinstance(p.get("pts"), int) else p["dts"]  # B-frames: dts only
        key = "K" in p["flags"] if i in video else None
        number = numbers[i] if i < len(numbers) else -i  # a stream the dump does not list
        out.setdefault(number, []).append((time, int(p["size"]), key))
    return out


def check_sample(path, failures):
    name = os.path.basename(path)
    facts = asf_facts.Facts(path)
    video = {n for n, s in facts.header.streams.items() if s.get("kind") == "video"}
    preroll = facts.header.preroll_ms
    dump = {n: [(o[0] - preroll, o[1], bool(o[2]) if n in video else None) for o in objs]
            for n, objs in facts.objects.items()}
    order = [int(m[1]) for m in (re.search(r"Flags=0x[0-9A-F]{4} \(stream (\d+),", t)
                                  for t in facts.lines) if m]
    probe = ffprobe_objects(path, order)
    if sorted(dump) != sorted(probe):
        failures.append("%s: streams %s, ffprobe %s" % (name, sorted(dump), sorted(probe)))
    for n in sorted(set(dump) & set(probe)):
        if dump[n] != probe[n]:
            first = next((i for i, (a, b) in enumerate(zip(dump[n], probe[n])) if a != b),
                         min(len(dump[n]), len(probe[n])))
            failures.append("%s stream %d: %d objects, ffprobe %d packets; first difference at "
                            "%d: %s != %s" % (name, n, len(dump[n]), len(probe[n]), first,
                                              dump[n][first:first + 1], probe[n][first:first + 1]))
    data_faults = [f for f in facts.failures if "packet" in f or "media object" in f]
    if data_faults:
        failures.append("%s: the dump finds faults in sound data: %s" % (name, data_faults))


def check_damaged(regress_dir, source_failed, name, outcome, failures):
    status, failed, stopped = verdict(os.path.join(regress_dir, name))
    new = failed - source_failed
    if outcome == "whole_read":
        if stopped or new:
            failures.append("%s: well-formed, yet the dump %s" % (
                name, "stopped" if stopped else "fails %s" % sorted(new)))
    elif outcome == "damaged_read" or name not in WELL_FORMED_REFUSED:
        if status == 0 or not (stopped or new):
            failures.append("%s (%s): the dump fails no check its source passes (exit %d)"
                            % (name, outcome, status))
        elif outcome == "damaged_read" and stopped:
            failures.append("%s: the dump stops instead of reporting the damage" % name)


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    data_dir, regress_dir = argv[1:]
    asftool_run.require("ffprobe")
    failures = []
    samples = sorted(f for f in os.listdir(data_dir) if f.endswith((".wmv", ".wma", ".asf")))
    for name in samples:
        check_sample(os.path.join(data_dir, name), failures)
    status, failed, stopped = verdict(os.path.join(data_dir, "video_only.wmv"))
    if status != 0 or failed or stopped:
        failures.append("video_only.wmv: exit %d, failed checks %s" % (status, sorted(failed)))
    _, source_failed, _ = verdict(os.path.join(data_dir, SOURCE))
    for name, outcome in sorted(read_expected(regress_dir).items()):
        check_damaged(regress_dir, source_failed, name, outcome, failures)
    for f in failures:
        print("FAIL:", f)
    print("%d samples and %d damaged files; %d failure(s)"
          % (len(samples), len(read_expected(regress_dir)), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
