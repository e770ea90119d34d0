#!/usr/bin/env python3
"""Checks `asftool copy` and `asftool mark` with FFmpeg and ExifTool.

Usage: copy_with_ffprobe.py copy ASFTOOL FILE      a lossless copy of FILE
       copy_with_ffprobe.py mark ASFTOOL FILE      markers added in place, then beyond the padding

copy: ffprobe finds the same packets, byte for byte (md5), with the same times (within 1 ms) and
key flags, and the same stream parameters (-show_streams -show_data); FFmpeg decodes the copy
without one message; title, author, genre and chapters are those of the input; the reader
describes every stream as it described the input's; a file with video has a seek index whose
every entry names the packet of the latest key frame at or before its time, as
tests/tools/dump_asf.py finds them.
mark: the markers show up as ffprobe chapters, ExifTool still reads the title, and every packet
is unchanged.
Exit status: 0 pass, 1 fail, 77 ffprobe, ffmpeg or exiftool missing (1 under CI).
"""
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import asf_checks  # noqa: E402
import asf_facts  # noqa: E402
import asftool_run  # noqa: E402

TOLERANCE = 0.001


def probe(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-show_packets", "-show_data_hash", "md5",
                          "-show_chapters", "-show_format", "-show_streams", "-of", "json", path],
                         capture_output=True, text=True, check=True).stdout
    return json.loads(out)


def packets(data):
    rows = []
    for p in data.get("packets", []):
        t = p.get("pts_time", p.get("dts_time"))
        rows.append((p["stream_index"], float(t) if t not in (None, "N/A") else None,
                     "K" in p.get("flags", ""), p.get("data_hash"), p.get("size")))
    return rows


def same_packets(a, b, failures):
    if len(a) != len(b):
        failures.append("packet count %d != %d" % (len(a), len(b)))
        return
    for i, (x, y) in enumerate(zip(a, b)):
        times_ok = (x[1] is None and y[1] is None) or (
            x[1] is not None and y[1] is not None and abs(x[1] - y[1]) <= TOLERANCE)
        if x[0] != y[0] or x[2] != y[2] or x[3] != y[3] or x[4] != y[4] or not times_ok:
            failures.append("packet %d differs: %s != %s" % (i, x, y))
            if len(failures) > 10:
                return


def tags(data):
    t = {k.lower(): v for k, v in data.get("format", {}).get("tags", {}).items()}
    return {k: t.get(k) for k in ("title", "artist", "genre")}


def chapters(data):
    return [(c.get("tags", {}).get("title"), round(float(c["start_time"]), 3))
            for c in data.get("chapters", [])]


def decode_errors(path):
    done = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "null", "-"],
                          capture_output=True, text=True)
    return (done.stderr.strip() or ("exit code %d" % done.returncode if done.returncode else ""))


def exif_title(path):
    out = subprocess.run(["exiftool", "-j", "-Title", path], capture_output=True, text=True).stdout
    return json.loads(out)[0].get("Title")


def run_tool(argv, failures):
    r = asftool_run.run(argv)
    if r.problem or r.returncode != 0:
        failures.append("asftool failed (%s)\n%s" % (r.problem or r.returncode, r.describe()))
        return False
    return True


def check_copy(asftool, source, work, failures):
    out = os.path.join(work, "copy" + os.path.splitext(source)[1])
    if not run_tool([asftool, "copy", source, out], failures):
        return
    a, b = probe(source), probe(out)
    same_packets(packets(a), packets(b), failures)
    errors = decode_errors(out)
    if errors:
        failures.append("ffmpeg reports: " + errors)
    if tags(a) != tags(b):
        failures.append("tags %s != %s" % (tags(a), tags(b)))
    if chapters(a) != chapters(b):
        failures.append("chapters %s != %s" % (chapters(a), chapters(b)))
    failures.extend("ffprobe " + d for d in asf_checks.differences(
        asf_checks.stream_parameters(source, asf_checks.LENGTH_FIELDS),
        asf_checks.stream_parameters(out, asf_checks.LENGTH_FIELDS)))
    # The play duration is computed: the end of the last sample, no earlier than the source says
    # (the source's own value can be short, as VLC's is).
    ends = [float(p["pts_time"]) + float(p.get("duration_time", 0)) for p in a.get("packets", [])
            if p.get("pts_time") not in (None, "N/A")]
    for x, y in zip(a.get("streams", []), b.get("streams", [])):
        wanted = max([float(x.get("duration", 0))] + ends)
        if abs(float(y.get("duration", 0)) - wanted) > 0.010:
            failures.append("stream %d lasts %s s, not %.3f s" % (x["index"], y.get("duration"),
                                                                  wanted))
    before, _, error = asftool_run.info_json(asftool, source)
    info, run, error = (None, None, error) if error else asftool_run.info_json(asftool, out)
    if error:
        failures.append("asftool info: " + error)
        return
    for s, t in zip(info["streams"], before["streams"]):
        for key in ("number", "media_type", "bitrate", "buffer_window_ms", "vbr", "language"):
            if s[key] != t[key]:
                failures.append("stream %d %s: %r != %r" % (t["number"], key, s[key], t[key]))
    if any(s["type"] == "video" for s in info["streams"]) and not info["has_index"]:
        failures.append("a file with video has no seek index")
    facts = asf_facts.Facts(out)
    failures += facts.failures + facts.index_faults()


def check_mark(asftool, source, work, failures):
    path = os.path.join(work, "marked" + os.path.splitext(source)[1])
    if not run_tool([asftool, "copy", source, path], failures):
        return
    before = probe(path)
    size = os.path.getsize(path)
    wanted = chapters(before)
    for t, name in ((0.5, "Half"), (1.25, "Quarter past")):
        if not run_tool([asftool, "mark", path, str(t), name], failures):
            return
        wanted.append((name, t))
    if os.path.getsize(path) != size:
        failures.append("a small edit changed the file's size: it was not made in place")
    # Enough markers to outgrow the header's padding: the file is rewritten.
    for i in range(200):
        if not run_tool([asftool, "mark", path, "%.3f" % (i * 0.01), "Marker number %03d" % i],
                        failures):
            return
        wanted.append(("Marker number %03d" % i, round(i * 0.01, 3)))
    if os.path.getsize(path) <= size:
        failures.append("the header outgrew its padding but the file did not grow")
    after = probe(path)
    same_packets(packets(before), packets(after), failures)
    got = sorted(chapters(after), key=lambda c: (c[1], c[0]))
    if got != sorted(wanted, key=lambda c: (c[1], c[0])):
        failures.append("chapters after marking: %s" % got[:8])
    if exif_title(path) != exif_title(source):
        failures.append("ExifTool reads another title after marking")
    verbose = subprocess.run(["exiftool", "-v2", path], capture_output=True, text=True).stdout
    if "| Marker" not in verbose:
        failures.append("ExifTool does not see the Marker object")
    errors = decode_errors(path)
    if errors:
        failures.append("ffmpeg reports: " + errors)


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("copy", "mark"):
        print(__doc__)
        return 2
    asftool_run.require("ffprobe", "ffmpeg", "exiftool", asf_facts.DUMP_ASF)
    mode, asftool, source = sys.argv[1:]
    failures = []
    with tempfile.TemporaryDirectory() as work:
        (check_copy if mode == "copy" else check_mark)(asftool, source, work, failures)
    for f in failures:
        print("FAIL: " + f)
    print("%s %s: %s" % (mode, os.path.basename(source), "ok" if not failures else "failed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
