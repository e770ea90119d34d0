#!/usr/bin/env python3
"""Files from other writers and late time lines, judged by readers that are not ours.

Usage: foreign_files.py ASFTOOL SPLICORA_JOIN CASE
  read    GStreamer, VLC and late-starting files: `asftool info` counts every media object the
          reference dump reader counts, with its first and last times, finds no damage, and
          starts each stream where ffprobe does; a copy keeps every packet ffprobe reads.
  join    joins of VLC parts, GStreamer audio parts and late-starting parts in every order:
          each input keeps its own time line exactly (ffprobe's times, shifted by one amount),
          starts after the one before it and no later than the whole second past its end.
  refuse  a FIFO, a text file, an empty file and a time line past 49.7 days are refused at
          once with the file's name and reason; nothing is left behind.
  damage  damaged inputs are joined and named with their count; a file cut after its data
          object header counts the packets it lacks.
"""
import glob
import json
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import asftool_run  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")
DUMP = os.path.join(HERE, "dump_asf.py")
SECOND = 10_000_000
MS = 10_000


def ffprobe_packets(path):
    """(time in 100 ns, size, key) of every packet ffprobe reads, in file order, per stream in
    the order audio, video (these files have one of each at most, numbered as the writer
    pleased: VLC numbers them differently from run to run)."""
    out = subprocess.run(["ffprobe", "-v", "error", "-show_packets", "-show_streams", "-of",
                          "json", path], capture_output=True, text=True, check=True).stdout
    data = json.loads(out)
    kinds = {s["index"]: s["codec_type"] for s in data.get("streams", [])}
    streams = {}
    for p in data.get("packets", []):
        t = p.get("pts", p.get("dts"))
        streams.setdefault(kinds[p["stream_index"]], []).append(
            (int(t) * MS, int(p["size"]), "K" in p.get("flags", "")))
    return [streams[k] for k in sorted(streams)]


def dump_summary(path):
    """The reference dump's count and first/last time (100 ns, preroll removed) per stream."""
    text = subprocess.run([sys.executable, DUMP, path], capture_output=True, text=True).stdout
    preroll = int(re.search(r"Preroll=(\d+) ms", text).group(1))
    found = {}
    for m in re.finditer(r"stream (\d+): (\d+) media objects, \d+ with key bit, first pres (\d+) ms,"
                         r" last pres (\d+) ms", text):
        found[int(m.group(1))] = (int(m.group(2)), (int(m.group(3)) - preroll) * MS,
                                  (int(m.group(4)) - preroll) * MS)
    return found, text


def dump_counts_by_type(path):
    """Media objects per stream, in ffprobe_packets' order, as the reference dump counts them."""
    found, text = dump_summary(path)
    kinds = {int(n): t.lower() for t, n in
             re.findall(r"Stream Type=(\w+) Media.*?\(stream (\d+),", text, re.S)}
    return [found[n][0] for n in sorted(found, key=lambda n: kinds[n])]


class Case:
    def __init__(self):
        self.failures = []

    def check(self, ok, what):
        if not ok:
            self.failures.append(what)
        return ok


def check_read(case, asftool, path, work):
    name = os.path.basename(path)
    info, run, error = asftool_run.info_json(asftool, path)
    if not case.check(info is not None, "%s: asftool info failed: %s\n%s" % (name, error,
                                                                          run.describe())):
        return
    case.check(info["damaged_packets"] == 0, "%s: %s damaged packets in a sound file"
               % (name, info["damaged_packets"]))
    dumped, _ = dump_summary(path)
    ours = {s["number"]: (s["samples"], s["first_time"], s["last_time"]) for s in info["streams"]}
    case.check(ours == dumped, "%s: asftool reads %s, the dump %s" % (name, ours, dumped))
    probed = ffprobe_packets(path)
    for s, packets in zip(sorted(info["streams"], key=lambda s: s["type"]), probed):
        case.check(packets[0][0] == s["first_time"] and len(packets) <= s["samples"],
                   "%s stream %s: ffprobe starts at %s with %d packets, asftool at %s with %d"
                   % (name, s["number"], packets[0][0], len(packets), s["first_time"],
                      s["samples"]))
    copy = os.path.join(work, "copy_" + name)
    run = asftool_run.run([asftool, "copy", path, copy])
    if not case.check(run.returncode == 0 and not run.problem, "%s: copy failed\n%s"
                      % (name, run.describe())):
        return
    copied = ffprobe_packets(copy)
    for k, (a, b) in enumerate(zip(probed, copied)):
        # ffprobe may read fewer packets of the source than it holds; the copy keeps them all.
        case.check(b[:len(a)] == a, "%s stream %d: the copy's packets differ from the source's"
                   % (name, k))
    case.check(dump_summary(copy)[0] == dumped, "%s: the copy holds other media objects" % name)


def check_join(case, join, parts, work):
    out = os.path.join(work, "joined.wmv")
    run = asftool_run.run([join, "--force", out] + parts)
    names = " + ".join(os.path.basename(p) for p in parts)
    if not case.check(run.returncode == 0 and not run.problem, "join %s failed\n%s"
                      % (names, run.describe())):
        return
    joined = ffprobe_packets(out)
    cursor = [0] * len(joined)  # per stream: packets of the output taken so far
    previous_end = None
    for k, part in enumerate(parts):
        own = ffprobe_packets(part)
        counts = dump_counts_by_type(part)  # ffprobe may miss a few at a part's end
        shifts = set()
        for s, packets in enumerate(own):
            placed = joined[s][cursor[s]:cursor[s] + len(packets)]
            cursor[s] += counts[s]
            shifts |= {p[0] - q[0] for p, q in zip(placed, packets)}
            case.check([p[1:] for p in placed] == [q[1:] for q in packets],
                       "join %s: part %d stream %d's packets are not all there" % (names, k, s))
        first = min(p[0] for packets in own for p in packets)
        last = max(p[0] for packets in own for p in packets)
        if not case.check(len(shifts) == 1, "join %s: part %d is not shifted as one (%s)"
                          % (names, k, sorted(shifts))):
            continue
        shift = shifts.pop()
        if k == 0:
            case.check(shift == 0, "join %s: the first part moved by %d" % (names, shift))
        else:
            start = first + shift
            # Placed on a whole second, less the whole seconds before the part's first sample.
            case.check((shift + first // SECOND * SECOND) % SECOND == 0,
                       "join %s: part %d starts at %d, off the second grid" % (names, k, start))
            case.check(previous_end < start <= previous_end + 2 * SECOND,
                       "join %s: part %d starts at %d, the one before ends at %d"
                       % (names, k, start, previous_end))
        previous_end = last + shift
    case.check(cursor == [len(p) for p in joined], "join %s: the output holds more packets"
               % names)


def check_refusals(case, asftool, join, work):
    fifo = os.path.join(work, "x.wmv")
    os.mkfifo(fifo)
    text = os.path.join(work, "text.wmv")
    with open(text, "w") as f:
        f.write("not a media file\n")
    empty = os.path.join(work, "empty.wmv")
    open(empty, "w").close()
    good = os.path.join(DATA, "av_wmv2_wma2_meta.wmv")
    for bad, reason in ((fifo, "not a regular file"), (text, "not an ASF file"),
                        (empty, "the file is empty")):
        for argv in ([asftool, "info", bad], [join, os.path.join(work, "o.wmv"), good, bad]):
            run = asftool_run.run(argv, timeout=20)
            said = run.stdout + run.stderr
            case.check(run.returncode not in (0, None) and not run.problem and bad in said
                       and reason in said and "protected" not in said,
                       "%s is not refused with its reason\n%s" % (bad, run.describe()))
    os.unlink(fifo)
    # Two GStreamer files whose video runs 1000 hours after their audio: 2000 hours.
    folder = os.path.join(work, "limit")
    os.mkdir(folder)
    parts = [os.path.join(work, "gst_av.wmv")] * 2
    began = time.monotonic()
    run = asftool_run.run([join, os.path.join(folder, "long.wmv")] + parts, timeout=60)
    took = time.monotonic() - began
    case.check(run.returncode not in (0, None) and "too long" in run.stderr and took < 10
               and os.listdir(folder) == [],
               "a 2000-hour time line is not refused at once (%.1f s, left %s)\n%s"
               % (took, os.listdir(folder), run.describe()))


def check_damage(case, asftool, join, work):
    regress = os.path.join(HERE, "..", "regress")
    good = os.path.join(DATA, "av_wmv2_wma2_meta.wmv")
    damaged = os.path.join(regress, "scrambled_packets.wmv")
    run = asftool_run.run([join, "--force", os.path.join(work, "d.wmv"), good, damaged])
    lines = [l for l in run.stderr.splitlines() if "damaged packet" in l]
    case.check(run.returncode == 0 and len(lines) == 1 and damaged in lines[0],
               "a damaged input is not named once with its count\n%s" % run.describe())
    # Cut right after the data object's header: every promised packet is missing.
    _, text = dump_summary(good)
    data_at = int(re.search(r"@(\d+) Data ", text).group(1))
    promised = int(re.search(r"Total Data Packets=(\d+)", text).group(1))
    cut = os.path.join(work, "cut.wmv")
    with open(good, "rb") as f, open(cut, "wb") as g:
        g.write(f.read(data_at + 50))
    info, run, error = asftool_run.info_json(asftool, cut)
    case.check(info is not None and info["damaged_packets"] == promised,
               "a file cut after its data header reports %s damaged packets, %d are missing\n%s"
               % (info and info["damaged_packets"], promised, run.describe()))


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    asftool, join, what = argv[1:]
    asftool_run.require("ffprobe", "ffmpeg", "gst-launch-1.0", "cvlc")
    case = Case()
    with tempfile.TemporaryDirectory() as work:
        os.chmod(work, 0o755)
        made = subprocess.run([os.path.join(DATA, "make_samples.sh"), "--foreign", work],
                              capture_output=True, text=True)
        if made.returncode != 0:
            print("FAIL: the foreign samples could not be made\n" + made.stderr)
            return 1
        files = sorted(glob.glob(os.path.join(work, "*.wm[av]")))
        if what == "read":
            for path in files:
                check_read(case, asftool, path, work)
        elif what == "join":
            late = [os.path.join(work, "late_%d.wmv" % s) for s in (0, 700, 3700)]
            for order in (late, late[1:] + late[:1], late[::-1]):
                check_join(case, join, order, work)
            check_join(case, join, [os.path.join(work, "vlc_av%d.wmv" % n) for n in (1, 2)], work)
            check_join(case, join, [os.path.join(work, "gst_audio%d.wma" % n) for n in (1, 2, 1)],
                       work)
        elif what == "refuse":
            check_refusals(case, asftool, join, work)
        elif what == "damage":
            check_damage(case, asftool, join, work)
        else:
            print(__doc__, file=sys.stderr)
            return 2
    return asftool_run.report(case.failures, what)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
