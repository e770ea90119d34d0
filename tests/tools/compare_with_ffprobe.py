#!/usr/bin/env python3
"""Checks `asftool info --json FILE` against FFmpeg's and ExifTool's reading of the same file.

Usage: compare_with_ffprobe.py ASFTOOL FILE
       compare_with_ffprobe.py --show FILE...   print what ffprobe and ExifTool read, nothing else

Compared, per stream (ffprobe's stream k is asftool's streams[k], both in the file's order):
type, codec, sample count, first and last sample time (file order, within 1 ms), key frames of
video streams. For the file: Duration against ffprobe's stream duration, preroll and the last
stream's number against ExifTool, codec names against ExifTool, markers against ffprobe's
chapters, and title, author and genre against both ExifTool and ffprobe.
Exit status: 0 agree, 1 differ or asftool failed, 77 ffprobe or exiftool missing (1 under CI).
"""
import json
import os
import subprocess
import sys
from fractions import Fraction

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import asftool_run  # noqa: E402

TOLERANCE = 10000  # 1 ms in 100-ns units


def to_hns(value, time_base):
    """A timestamp in time_base units ("1/1000") as an integer number of 100-ns units."""
    return round(Fraction(value) * Fraction(time_base) * 10_000_000)


def packet_time(packet):
    # FFmpeg's ASF demuxer gives the ASF presentation time (minus preroll, in ms) as pts; for a
    # stream it believes has B-frames, libavformat drops that pts and keeps the value as dts.
    for key in ("pts", "dts"):
        value = packet.get(key)
        if isinstance(value, int):
            return value
    return None


def ffprobe_reading(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-show_packets", "-show_streams",
                          "-show_chapters", "-show_format", "-of", "json", path],
                         capture_output=True, text=True, check=True).stdout
    data = json.loads(out)
    packets = data.get("packets", [])
    streams = []
    for s in data.get("streams", []):
        time_base = s.get("time_base", "1/1000")
        own = [p for p in packets if p.get("stream_index") == s["index"]]
        times = [packet_time(p) for p in own]
        times = [to_hns(t, time_base) if t is not None else None for t in times]
        stream = {
            "type": s.get("codec_type"),
            "codec": s.get("codec_tag_string") if s.get("codec_type") == "video"
            else int(s.get("codec_tag", "0"), 16),
            "samples": len(own),
            "key_samples": sum("K" in p.get("flags", "") for p in own),
            "first_time": times[0] if times else None,
            "last_time": times[-1] if times else None,
            "in_order": all(a is not None and b is not None and a <= b
                            for a, b in zip(times, times[1:])),
            "duration": to_hns(s["duration_ts"], time_base) if "duration_ts" in s else None,
        }
        if "id" in s:  # only demuxers that show ids give the ASF stream number
            stream["number"] = int(str(s["id"]), 0)
        streams.append(stream)
    chapters = [{"name": c.get("tags", {}).get("title", ""),
                 "time": to_hns(c["start"], c["time_base"])} for c in data.get("chapters", [])]
    tags = {k.lower(): v for k, v in data.get("format", {}).get("tags", {}).items()}
    return {
        "streams": streams,
        "markers": chapters,
        "title": tags.get("title"),
        "author": tags.get("artist", tags.get("author")),
        "genre": tags.get("genre"),
    }


def exiftool_reading(path):
    out = subprocess.run(["exiftool", "-j", "-n", "-Title", "-Author", "-Genre", "-Preroll",
                          "-StreamNumber", "-VideoCodecName", "-AudioCodecName", path],
                         capture_output=True, text=True, check=True).stdout
    tags = json.loads(out)[0]
    return {
        "title": tags.get("Title"),
        "author": tags.get("Author"),
        "genre": tags.get("Genre"),
        "preroll_ms": tags.get("Preroll"),
        "last_stream_number": tags.get("StreamNumber"),
        "codec_names": [str(tags[k]) for k in ("VideoCodecName", "AudioCodecName") if k in tags],
    }


class Report:
    def __init__(self):
        self.lines = []

    def differ(self, what, asftool, other, source):
        self.lines.append("  %-28s asftool: %-24s %s: %s" % (what, show(asftool), source, show(other)))

    def note(self, text):
        self.lines.append("  " + text)


def show(value):
    return json.dumps(value, ensure_ascii=False) if not isinstance(value, str) else repr(value)


def audio_tag_matches(value, tag):
    """asftool prints an audio format tag as a number or as text ("0x0161", "353", "161")."""
    if isinstance(value, bool):
        return False
    if isinstance(value, int):
        return value == tag
    text = str(value).strip().lower()
    candidates = []
    for base in (0, 10, 16):
        try:
            candidates.append(int(text, base))
        except ValueError:
            pass
    return tag in candidates


def file_attribute(asf, name):
    """Value of a file-level attribute, or None when asftool lists none (or an empty one)."""
    for a in asf.get("attributes", []):
        if a.get("name") == name and int(a.get("stream", 0) or 0) == 0:
            value = a.get("value")
            return None if value in (None, "") else value
    return None


def compare(asf, ff, ex, report):
    for key in ("duration", "preroll_ms", "damaged_packets", "streams", "attributes", "markers",
                "codecs"):
        if key not in asf:
            report.note("asftool's JSON has no %r" % key)
    streams = asf.get("streams", [])

    if asf.get("damaged_packets", 0) != 0:
        report.differ("damaged_packets", asf.get("damaged_packets"), 0, "intact file")
    if len(streams) != len(ff["streams"]):
        report.differ("stream count", len(streams), len(ff["streams"]), "ffprobe")

    for k, (mine, theirs) in enumerate(zip(streams, ff["streams"])):
        where = "stream[%d] (number %s)" % (k, mine.get("number"))
        if "number" in theirs and mine.get("number") != theirs["number"]:
            report.differ(where + " number", mine.get("number"), theirs["number"], "ffprobe")
        if mine.get("type") != theirs["type"]:
            report.differ(where + " type", mine.get("type"), theirs["type"], "ffprobe")
        if theirs["type"] == "video":
            if str(mine.get("codec", "")).strip("\0 ") != theirs["codec"]:
                report.differ(where + " codec", mine.get("codec"), theirs["codec"], "ffprobe")
        elif theirs["type"] == "audio" and not audio_tag_matches(mine.get("codec"), theirs["codec"]):
            report.differ(where + " codec", mine.get("codec"), "0x%04x" % theirs["codec"], "ffprobe")
        if mine.get("samples") != theirs["samples"]:
            report.differ(where + " samples", mine.get("samples"), theirs["samples"], "ffprobe")
        if theirs["type"] == "video" and mine.get("key_samples") != theirs["key_samples"]:
            report.differ(where + " key_samples", mine.get("key_samples"), theirs["key_samples"],
                          "ffprobe")
        for key in ("first_time", "last_time"):
            a, b = mine.get(key), theirs[key]
            if not isinstance(a, int) or b is None or abs(a - b) > TOLERANCE:
                report.differ(where + " " + key, a, b, "ffprobe")

    durations = [s["duration"] for s in ff["streams"] if s["duration"] is not None]
    if durations:
        expected = max(durations)
        got = asf.get("duration")
        if not isinstance(got, int) or abs(got - expected) > TOLERANCE:
            report.differ("duration", got, expected, "ffprobe")

    if asf.get("preroll_ms") != ex["preroll_ms"]:
        report.differ("preroll_ms", asf.get("preroll_ms"), ex["preroll_ms"], "exiftool")
    if streams and ex["last_stream_number"] is not None \
            and streams[-1].get("number") != ex["last_stream_number"]:
        report.differ("last stream's number", streams[-1].get("number"), ex["last_stream_number"],
                      "exiftool")
    codec_names = [str(c.get("name", "")).rstrip("\0") for c in asf.get("codecs", [])]
    for name in ex["codec_names"]:
        if name not in codec_names:
            report.differ("codec list names", codec_names, name, "exiftool")

    markers = asf.get("markers", [])
    if len(markers) != len(ff["markers"]):
        report.differ("marker count", len(markers), len(ff["markers"]), "ffprobe chapters")
    for i, (mine, theirs) in enumerate(zip(markers, ff["markers"])):
        if mine.get("name") != theirs["name"]:
            report.differ("marker[%d] name" % i, mine.get("name"), theirs["name"], "ffprobe")
        t = mine.get("time")
        if not isinstance(t, int) or abs(t - theirs["time"]) > TOLERANCE:
            report.differ("marker[%d] time" % i, t, theirs["time"], "ffprobe")

    for field, name in (("title", "Title"), ("author", "Author"), ("genre", "WM/Genre")):
        got = file_attribute(asf, name)
        for source, reading in (("exiftool", ex), ("ffprobe", ff)):
            if got != reading[field]:
                report.differ("attribute " + name, got, reading[field], source)


def show_readings(paths):
    asftool_run.require("ffprobe", "exiftool")
    for path in paths:
        print("== %s" % path)
        ff, ex = ffprobe_reading(path), exiftool_reading(path)
        for k, s in enumerate(ff["streams"]):
            print("  stream[%d] %s" % (k, json.dumps(s)))
        print("  markers %s" % json.dumps(ff["markers"], ensure_ascii=False))
        print("  ffprobe tags: title=%r author=%r genre=%r" % (ff["title"], ff["author"], ff["genre"]))
        print("  exiftool %s" % json.dumps(ex, ensure_ascii=False))
    return 0


def main(argv):
    if len(argv) >= 2 and argv[1] == "--show":
        return show_readings(argv[2:])
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    asftool, path = argv[1], argv[2]
    asftool_run.require("ffprobe", "exiftool")

    asf, run, error = asftool_run.info_json(asftool, path)
    if asf is None:
        print("FAIL %s: asftool info --json: %s\n%s" % (path, error, run.describe()))
        return 1
    ff, ex = ffprobe_reading(path), exiftool_reading(path)
    report = Report()
    compare(asf, ff, ex, report)
    if report.lines:
        print("FAIL %s: asftool disagrees with FFmpeg/ExifTool\n%s" % (path, "\n".join(report.lines)))
        print("asftool's JSON:\n%s" % json.dumps(asf, indent=1, ensure_ascii=False))
        return 1
    print("ok %s: %d streams, %d markers agree" % (path, len(ff["streams"]), len(ff["markers"])))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
