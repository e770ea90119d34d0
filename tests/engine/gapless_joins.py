#!/usr/bin/env python3
"""Gapless joins of the samples, judged by ffprobe's packet times and FFmpeg's decoder.

Usage: gapless_joins.py SPLICORA_JOIN DATA_DIR
Each part's packets come through byte for byte with their relative times kept exactly; each part
starts at or after the true end of the part before it (its latest packet end, the duration being
ffprobe's, else the stream's median interval) and within one frame or audio block of it; FFmpeg
decodes the output without a message.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
import asftool_run  # noqa: E402

MS = 10_000  # 100-ns units


def probe(path):
    """Per stream type, [(time, duration or None, size, md5)] in file order."""
    out = subprocess.run(["ffprobe", "-v", "error", "-show_packets", "-show_streams",
                          "-show_data_hash", "md5", "-of", "json", path],
                         capture_output=True, text=True, check=True).stdout
    data = json.loads(out)
    kinds = {s["index"]: s["codec_type"] for s in data["streams"]}
    streams = {}
    for p in data["packets"]:
        d = p.get("duration")
        streams.setdefault(kinds[p["stream_index"]], []).append(
            (int(p.get("pts", p.get("dts"))) * MS, int(d) * MS if d not in (None, "N/A") else None,
             int(p["size"]), p["data_hash"]))
    return streams


def frame(packets):
    """A stream's frame or block duration: ffprobe's, else the median interval."""
    known = [p[1] for p in packets if p[1]]
    if known:
        return statistics.median(known)
    return statistics.median(b[0] - a[0] for a, b in zip(packets, packets[1:]))


def check_join(join, parts, work, failures):
    out = os.path.join(work, "gapless.wmv")
    run = asftool_run.run([join, "--force", "--gapless", out] + parts)
    name = " + ".join(os.path.basename(p) for p in parts)
    if run.returncode != 0 or run.problem:
        failures.append("%s: join failed\n%s" % (name, run.describe()))
        return
    joined = probe(out)
    taken = {kind: 0 for kind in joined}
    true_end = None
    for k, part in enumerate(parts):
        own = probe(part)
        shifts = set()
        for kind, packets in own.items():
            placed = joined[kind][taken[kind]:taken[kind] + len(packets)]
            taken[kind] += len(packets)
            if [p[2:] for p in placed] != [p[2:] for p in packets]:
                failures.append("%s: part %d's %s packets differ" % (name, k, kind))
            shifts |= {p[0] - q[0] for p, q in zip(placed, packets)}
        if len(shifts) != 1:
            failures.append("%s: part %d's streams moved apart: %s" % (name, k, sorted(shifts)))
            return
        shift = shifts.pop()
        start = min(p[0] for packets in own.values() for p in packets) + shift
        if k == 0 and shift != 0:
            failures.append("%s: the first part moved by %d" % (name, shift))
        if k > 0:
            step = max(frame(packets) for packets in own.values())
            if not true_end <= start <= true_end + step:
                failures.append("%s: part %d starts at %.4f s, the part before ends at %.4f s"
                                % (name, k, start / 1e7, true_end / 1e7))
        true_end = max(p[0] + shift + (p[1] or frame(packets))
                       for packets in own.values() for p in packets)
    if taken != {kind: len(p) for kind, p in joined.items()}:
        failures.append("%s: the output holds more packets than its parts" % name)
    decoded = subprocess.run(["ffmpeg", "-v", "error", "-i", out, "-f", "null", "-"],
                             capture_output=True, text=True)
    if decoded.returncode != 0 or decoded.stderr.strip():
        failures.append("%s: FFmpeg complains:\n%s" % (name, decoded.stderr))


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    join, data = argv[1:]
    asftool_run.require("ffprobe", "ffmpeg")
    video = [os.path.join(data, n) for n in ("av_wmv2_wma2_meta.wmv", "av_part2.wmv",
                                              "av_part3.wmv", "av_part2.wmv", "av_part3.wmv")]
    audio = [os.path.join(data, "audio_only.wma")] * 5
    failures = []
    with tempfile.TemporaryDirectory() as work:
        for parts in (video[:2], video, audio[:2], audio):
            check_join(join, parts, work, failures)
    for f in failures:
        print("FAIL " + f)
    if not failures:
        print("ok gapless joins")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
