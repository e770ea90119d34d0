#!/usr/bin/env python3
"""A join's output joins again, and joins keep what ffprobe and the reader say about a stream.

Usage: rejoin_with_ffprobe.py SPLICORA_JOIN ASFTOOL DATA_DIR

Three parts are made with FFmpeg in one encoding (WMV2 + WMA2); part1 + part2 give both.wmv,
then both.wmv + part3 and part3 + both.wmv must join too. Two-input joins of the samples with
extra streams (languages) and other codecs are checked the same way. For every output: each
stream's packets are its inputs' packets, byte for byte, with their key flags, at the offsets
the join printed; ffprobe's stream parameters (-show_streams -show_data) are the first input's,
apart from the length; the reader's media type, declared bit rate, VBR flag and language are
the first input's and the buffer window is the sum of the partners'; the Simple Index points at
the key frames. Long parts (noisy video of a few MB, two minutes of audio) join too, so that
samples cross the reader's and the writer's blocks.
Exit status: 0 pass, 1 fail, 77 ffmpeg or ffprobe missing.
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import asf_checks  # noqa: E402
import asf_facts  # noqa: E402
import asftool_run  # noqa: E402

ENCODING = ["-c:v", "wmv2", "-b:v", "200k", "-g", "15",
            "-c:a", "wmav2", "-b:a", "32k", "-ar", "22050", "-ac", "1"]
DECLARED = ("type", "codec", "media_type", "bitrate", "vbr", "language")
# FFmpeg estimates the average frame rate from the times, which a join spreads to whole seconds.
JOIN_VARIES = asf_checks.LENGTH_FIELDS + ("avg_frame_rate",)


def make_part(path, seconds, tone):
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y",
                    "-f", "lavfi", "-i", "testsrc2=size=160x120:rate=15:duration=%d" % seconds,
                    "-f", "lavfi", "-i", "sine=frequency=%d:sample_rate=22050:duration=%d"
                    % (tone, seconds), *ENCODING, path], check=True, timeout=120)


def make_long(path, video):
    """Video frames of tens of KB over many read blocks, or many small audio samples."""
    if video:
        source = ["-f", "lavfi", "-i", "testsrc2=size=320x240:rate=15:duration=20",
                  "-vf", "noise=alls=80:allf=t", "-c:v", "wmv2", "-b:v", "2M", "-an"]
    else:
        source = ["-f", "lavfi", "-i", "sine=duration=120", "-c:a", "wmav2", "-b:a", "64k"]
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", *source, path], check=True,
                   timeout=300)


def packets(path):
    """Per ffprobe stream: [(time ms, md5, key)] in file order."""
    info = asf_checks.ffprobe(path, "-show_streams", "-show_packets", "-show_data_hash", "md5")
    out = {s["index"]: [] for s in info["streams"]}
    for p in info["packets"]:
        out[p["stream_index"]].append((int(p.get("pts", p.get("dts"))), p["data_hash"],
                                       "K" in p.get("flags", "")))
    return out


def streams(asftool, path, failures):
    info, _, error = asftool_run.info_json(asftool, path)
    if error:
        failures.append("asftool info %s: %s" % (os.path.basename(path), error))
        return None
    return info["streams"]


def check_join(join, asftool, out, inputs, failures):
    name = os.path.basename(out)
    r = asftool_run.run([join, out, *inputs])
    if r.problem or r.returncode != 0:
        failures.append("%s: the join failed\n%s" % (name, r.describe()))
        return
    offsets = [round(float(w[3]) * 1000) for w in map(str.split, r.stdout.splitlines())
               if len(w) >= 4 and w[0] == "input" and w[2] == "at"]
    if len(offsets) != len(inputs):
        failures.append("%s: placements printed: %r" % (name, r.stdout))
        return
    wanted = {}
    for path, offset in zip(inputs, offsets):
        for stream, rows in packets(path).items():
            wanted.setdefault(stream, []).extend((t + offset, h, k) for t, h, k in rows)
    got = packets(out)
    for stream in sorted(set(wanted) | set(got)):
        a, b = wanted.get(stream, []), got.get(stream, [])
        if a != b:
            bad = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
            failures.append("%s stream %d: %d packets for %d; first difference at %d: %s != %s"
                            % (name, stream, len(b), len(a), bad, b[bad:bad + 1], a[bad:bad + 1]))
    for line in asf_checks.differences(
            asf_checks.stream_parameters(inputs[0], JOIN_VARIES),
            asf_checks.stream_parameters(out, JOIN_VARIES)):
        failures.append("%s: ffprobe %s" % (name, line))
    parts = [streams(asftool, p, failures) for p in inputs]
    joined = streams(asftool, out, failures)
    if joined and all(parts):
        for s, first in zip(joined, parts[0]):
            for key in DECLARED:
                if s[key] != first[key]:
                    failures.append("%s stream %d %s: %r != %r"
                                    % (name, s["number"], key, s[key], first[key]))
            # Streams pair by content; in these files by media type, in order.
            window = sum(next(t for t in p if t["media_type"] == first["media_type"])
                         ["buffer_window_ms"] for p in parts)
            if s["buffer_window_ms"] != window:
                failures.append("%s stream %d buffer window %d, partners add up to %d"
                                % (name, s["number"], s["buffer_window_ms"], window))
    facts = asf_facts.Facts(out)
    failures.extend("%s: %s" % (name, p) for p in facts.failures + facts.index_faults())


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    asftool_run.require("ffmpeg", "ffprobe")
    join, asftool, data = sys.argv[1:]
    failures = []
    with tempfile.TemporaryDirectory() as work:
        part = [os.path.join(work, "part%d.wmv" % i) for i in (1, 2, 3)]
        for path, seconds, tone in zip(part, (3, 2, 2), (440, 660, 880)):
            make_part(path, seconds, tone)
        both = os.path.join(work, "both.wmv")
        check_join(join, asftool, both, part[:2], failures)
        if os.path.exists(both):
            check_join(join, asftool, os.path.join(work, "all.wmv"), [both, part[2]], failures)
            check_join(join, asftool, os.path.join(work, "all_first3.wmv"), [part[2], both],
                       failures)
        for name, video in (("long.wmv", True), ("long.wma", False)):
            source = os.path.join(work, name)
            make_long(source, video)
            check_join(join, asftool, os.path.join(work, "twice_" + name), [source, source],
                       failures)
        for sample in ("two_audio.wmv", "mpeg4_bframes_mp3.asf", "audio_only.wma"):
            source = os.path.join(data, sample)
            check_join(join, asftool, os.path.join(work, "twice_" + sample), [source, source],
                       failures)
    for f in failures:
        print("FAIL: " + f)
    print("rejoin: %s" % ("ok" if not failures else "failed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
