#!/usr/bin/env python3
"""Joins of the bundled samples through splicora-join, checked with FFmpeg.

usage: real_joins.py SPLICORA_JOIN DATA_DIR CASE
Exits 77 (skipped) when ffprobe or ffmpeg is missing.
"""
import json
import os
import pty
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import uuid

JOIN, DATA, CASE = sys.argv[1], sys.argv[2], sys.argv[3]
META = os.path.join(DATA, "av_wmv2_wma2_meta.wmv")
PART2 = os.path.join(DATA, "av_part2.wmv")
PART3 = os.path.join(DATA, "av_part3.wmv")
WMV1 = os.path.join(DATA, "av_wmv1_incompatible.wmv")
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def run_join(out, inputs, *options):
    p = subprocess.run([JOIN, *options, out, *inputs], capture_output=True, text=True, timeout=120)
    placed = {}
    for line in p.stdout.splitlines():
        words = line.split()
        if len(words) >= 4 and words[0] == "input" and words[2] == "at":
            placed[int(words[1]) - 1] = round(float(words[3]) * 1000)
    return p.returncode, p.stdout, p.stderr, placed


def probe(path):
    p = subprocess.run(["ffprobe", "-v", "error", "-show_data_hash", "md5", "-of", "json",
                        "-show_entries",
                        "stream=index,codec_type,codec_name:packet=stream_index,pts,dts,data_hash:"
                        "format_tags:chapter=start_time:chapter_tags=title",
                        path], capture_output=True, text=True, timeout=120)
    if p.returncode != 0:
        raise SystemExit(f"ffprobe failed on {path}: {p.stderr}")
    info = json.loads(p.stdout)
    streams = info.get("streams", [])
    packets = {s["index"]: [] for s in streams}
    for k in info.get("packets", []):
        # FFmpeg leaves some MPEG-4 B-frame pts unset; the stored time is then the dts.
        packets[k["stream_index"]].append((int(k.get("pts", k.get("dts"))), k["data_hash"]))
    chapters = [(c.get("tags", {}).get("title", ""), round(float(c["start_time"]) * 1000))
                for c in info.get("chapters", [])]
    tags = {k.lower(): v for k, v in info.get("format", {}).get("tags", {}).items()}
    return streams, packets, chapters, tags


def partner_streams(out_streams, in_streams):
    """Output stream index -> input stream index, pairing by codec in order."""
    free = list(in_streams)
    pairs = {}
    for s in out_streams:
        match = next(t for t in free if t["codec_name"] == s["codec_name"])
        free.remove(match)
        pairs[s["index"]] = match["index"]
    return pairs


def check_output(out, inputs, placed):
    dec = subprocess.run(["ffmpeg", "-v", "error", "-i", out, "-f", "null", "-"],
                         capture_output=True, text=True, timeout=300)
    check(dec.stdout == "" and dec.stderr == "", f"ffmpeg decodes {out} silently: {dec.stderr[:300]}")
    out_streams, out_packets, out_chapters, out_tags = probe(out)
    expected = {s["index"]: [] for s in out_streams}
    chapters = []
    previous_end = None
    for k, path in enumerate(inputs):
        if k not in placed:
            continue
        offset = placed[k]
        check(offset % 1000 == 0, f"input {k + 1} starts at a whole second ({offset} ms)")
        streams, packets, marks, _ = probe(path)
        if previous_end is not None:
            check(offset >= previous_end, f"input {k + 1} at {offset} ms covers the one before "
                                          f"(ends {previous_end} ms)")
        last = max(p for ps in packets.values() for p, _ in ps)
        previous_end = offset + last
        for o, i in partner_streams(out_streams, streams).items():
            expected[o] += [(pts + offset, h) for pts, h in packets[i]]
        chapters += [(title, start + offset) for title, start in marks]
    for index, wanted in expected.items():
        got = out_packets[index]
        check(got == wanted, f"stream {index}: {len(got)} packets in order and byte for byte "
                             f"(expected {len(wanted)})")
    check(out_chapters == chapters, f"markers at their inputs' offsets: {out_chapters} vs {chapters}")
    first_tags = probe(inputs[0])[3]
    for tag in ("title", "artist", "genre"):
        check(out_tags.get(tag) == first_tags.get(tag),
              f"{tag} carried: {out_tags.get(tag)!r} vs {first_tags.get(tag)!r}")


def join_and_check(inputs, name="out.wmv", left_out=()):
    out = os.path.join(work, name)
    rc, stdout, stderr, placed = run_join(out, inputs)
    check(rc == 0, f"join exits 0 (got {rc}): {stderr}")
    check(set(placed) == set(range(len(inputs))) - set(left_out), f"placement printed: {stdout}")
    if rc == 0:
        check_output(out, inputs, placed)
    return stderr


def refused(inputs, messages, code=1, out_name="out.wmv", *options):
    out = os.path.join(work, out_name)
    rc, _, stderr, _ = run_join(out, inputs, *options)
    check(rc == code, f"refusal exits {code} (got {rc})")
    for m in messages:
        check(m in stderr, f"message {m!r} in {stderr!r}")
    return out


def guid_bytes(text):
    return uuid.UUID(text).bytes_le


def protected_copy(source, target):
    """source with an Extended Content Encryption object added to its header."""
    data = bytearray(open(source, "rb").read())
    size, count = struct.unpack_from("<QI", data, 16)
    payload = b"<WRMHEADER/>"
    obj = guid_bytes("298AE614-2622-4C17-B935-DAE07EE9289C") + \
        struct.pack("<QI", 24 + 4 + len(payload), len(payload)) + payload
    data[30:30] = obj
    struct.pack_into("<QI", data, 16, size + len(obj), count + 1)
    open(target, "wb").write(data)


def main():
    if not shutil.which("ffprobe") or not shutil.which("ffmpeg"):
        print("ffprobe or ffmpeg missing: skipped")
        return 77
    if CASE == "two":
        join_and_check([META, PART2])
    elif CASE == "three":
        join_and_check([META, PART2, PART3])
    elif CASE == "five":
        join_and_check([META, PART2, PART3, PART2, META])
    elif CASE == "other_stream_order":
        join_and_check([META, os.path.join(DATA, "audio_first.wmv"), PART3])
    elif CASE == "audio_only":
        audio = os.path.join(DATA, "audio_only.wma")
        join_and_check([audio, audio, audio], "out.wma")
    elif CASE == "mpeg4_bframes":
        mp4 = os.path.join(DATA, "mpeg4_bframes_mp3.asf")
        join_and_check([mp4, mp4], "out.asf")
    elif CASE == "refusals":
        out = refused([META, WMV1], ["Mismatch in Media types of both the Streams.",
                                     "Profile Mismatch\nCan not continue... Aborting the process"])
        check(not os.path.exists(out), "no output after a media type mismatch")
        out = refused([META, os.path.join(DATA, "video_only.wmv")],
                      ["Different Stream counts in both the files.", "Profile Mismatch"])
        check(not os.path.exists(out), "no output after a stream count mismatch")
        locked = os.path.join(work, "locked.wmv")
        protected_copy(PART2, locked)
        out = refused([META, locked], [f"Protected attributes set for input file {locked} .",
                                       "Second file is protected, cannot open, aborting..."])
        check(not os.path.exists(out), "no output after a protected input")
        stderr = join_and_check([META, PART2, WMV1, PART3], left_out=(2,))
        check("Mismatch in Media types of both the Streams." in stderr, "third input reported")
    elif CASE == "command_line":
        copy = os.path.join(work, "Clip.wmv")
        shutil.copy(META, copy)
        refused([copy, PART2], ["First file name and destination file name are same."], 2,
                "clip.WMV")
        check(open(copy, "rb").read() == open(META, "rb").read(), "first input untouched")
        os.symlink(PART3, os.path.join(work, "link.wmv"))
        refused([META, PART2, PART3], ["same file as input 3"], 2, "link.wmv")
        check(open(PART3, "rb").read() == open(os.path.join(DATA, "av_part3.wmv"), "rb").read(),
              "third input untouched")
        open(os.path.join(work, "exists.wmv"), "w").write("keep")
        refused([META, PART2], ["already exists"], 2, "exists.wmv")
        check(open(os.path.join(work, "exists.wmv")).read() == "keep", "existing output kept")
        refused([META, os.path.join(work, "missing.wmv")], ["missing.wmv"], 1, "exists.wmv",
                "--force")
        check(open(os.path.join(work, "exists.wmv")).read() == "keep",
              "existing output kept when the forced join fails")
        rc, _, _, _ = run_join(os.path.join(work, "exists.wmv"), [META, PART2], "--force")
        check(rc == 0 and probe(os.path.join(work, "exists.wmv"))[0], "--force replaces it")
        refused([META], [], 2)
    elif CASE == "progress":
        # A terminal on standard error shows the share done; a pipe gets nothing extra.
        inputs = [META] + [PART2] * 99
        master, slave = pty.openpty()
        p = subprocess.Popen([JOIN, os.path.join(work, "tty.wmv"), *inputs],
                             stdout=subprocess.DEVNULL, stderr=slave)
        os.close(slave)
        shown = b""
        while True:
            try:
                chunk = os.read(master, 4096)
            except OSError:  # the terminal closed with the program
                break
            if not chunk:
                break
            shown += chunk
        os.close(master)
        check(p.wait(timeout=120) == 0, "join on a terminal")
        figures = [int(f) for f in re.findall(rb"joining: +(\d+)%", shown)]
        check(figures and figures == sorted(figures) and figures[-1] <= 100,
              f"progress on the terminal: {shown[:200]!r}")
        rc, _, err, _ = run_join(os.path.join(work, "pipe.wmv"), inputs)
        check(rc == 0 and "joining" not in err and "%" not in err, "no progress into a pipe: " + err)
    else:
        raise SystemExit(f"unknown case {CASE}")
    return 1 if failures else 0


with tempfile.TemporaryDirectory() as work:
    sys.exit(main())
