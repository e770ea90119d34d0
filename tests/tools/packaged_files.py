#!/usr/bin/env python3
"""Files packaged as Windows' own media runtime packages them (winmedia_packager.py), judged by
FFmpeg and the independent dump reader.

Usage: packaged_files.py ASFTOOL SPLICORA_JOIN CASE
  packager  every switch: the dump reader finds the feature and no fault; ffprobe reads the
            packets it reads from the source (spread objects descrambled; merged blocks as one
            packet; the second video stream as the first) and FFmpeg decodes without a message
  read      `asftool info` reads every sample ffprobe reads, first and last time included,
            and finds no damage
  copy      `asftool copy` keeps every packet ffprobe reads, byte for byte, with its time and key
            flag, and FFmpeg decodes the copy without a message (spans 2, 4 and 8, both layouts)
  join      joins of parts with the same and other spans, spread with plain, audio only, the
            multiple-bit-rate file with itself and each other switch: every part's packets, byte
            for byte, shifted as one; FFmpeg decodes the output without a message. A part that
            declares bit rates (Stream Bitrate Properties, Extended Stream Properties) is refused
            with one that does not
  damage    a spread object one chunk short and error correction data that cannot describe a
            spread: read to the end and counted; a join names the file with its count
Exit status: 0 pass, 1 fail, 77 ffprobe or ffmpeg missing (1 under CI).
"""
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import asftool_run  # noqa: E402
import copy_with_ffprobe  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
PACKAGER = os.path.join(HERE, "winmedia_packager.py")
DUMP = os.path.join(HERE, "dump_asf.py")
SPREADS = [("%d:%s" % (span, layout)) for span in (2, 4, 8) for layout in ("block", "merged")]
# Switch -> what the dump reader prints for it.
OTHER_SWITCHES = {
    "compressed": ["COMPRESSED"],
    "extensions": ["PES Sample Duration", "PES Pixel Aspect Ratio", "PES File Name"],
    "ecc": ["flags=0x82"],
    "index": ["Index Parameters", "Index {"],
    "mbr": ["Bitrate Mutual Exclusion {"],
    "headers": ["Stream Bitrate Properties {", "Codec List {", "Metadata {", "Metadata Library {",
                "Language List {", "Compatibility {", "Content Branding {", "Padding {",
                "WM/Picture"],
}


def hex_bytes(dump):
    """The bytes of ffprobe's -show_data hex dump."""
    return b"".join(bytes.fromhex(line[10:49].replace(" ", "")) for line in dump.splitlines()
                    if line.strip())


def probe(path):
    """Per stream in header order, attached pictures left out: [(ms, key, bytes)]."""
    out = subprocess.run(["ffprobe", "-v", "error", "-show_packets", "-show_data", "-show_streams",
                          "-of", "json", path], capture_output=True, text=True, check=True).stdout
    data = json.loads(out)
    streams = [s["index"] for s in data.get("streams", [])
               if not s.get("disposition", {}).get("attached_pic")]
    packets = {n: [] for n in streams}
    for p in data.get("packets", []):
        if p["stream_index"] in packets:
            packets[p["stream_index"]].append((int(p.get("pts", p.get("dts"))),
                                               "K" in p.get("flags", ""),
                                               hex_bytes(p.get("data", ""))))
    kinds = {s["index"]: s["codec_type"] for s in data.get("streams", [])}
    return [packets[n] for n in streams], [kinds[n] for n in streams]


def package(source, out, switches):
    subprocess.run([sys.executable, PACKAGER, source, out] + switches, check=True)
    return out


def expected(source, switches):
    """ffprobe's packets of the source as the packaged file must give them back."""
    streams, kinds = probe(source)
    if "--spread" in switches:
        span, layout = switches[switches.index("--spread") + 1].split(":")
        if layout == "merged":
            n = int(span)
            streams = [s if k != "audio" else
                       [(s[i][0], s[i][1], b"".join(p[2] for p in s[i:i + n]))
                        for i in range(0, len(s) - n + 1, n)] for s, k in zip(streams, kinds)]
    if "--mbr" in switches:
        v = kinds.index("video")
        streams.insert(v + 1, streams[v])
    return streams


def differences(name, got, wanted):
    if len(got) != len(wanted):
        return ["%s: %d streams, %d wanted" % (name, len(got), len(wanted))]
    out = []
    for k, (a, b) in enumerate(zip(got, wanted)):
        if a != b:
            bad = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
            out.append("%s stream %d: %d packets, %d wanted; first difference at packet %d"
                       % (name, k, len(a), len(b), bad))
    return out


class Case:
    def __init__(self, asftool, join, work, sources):
        self.asftool, self.join, self.work, self.sources = asftool, join, work, sources
        self.failures = []

    def check(self, ok, what):
        if not ok:
            self.failures.append(what)
        return ok

    def decodes(self, path):
        errors = copy_with_ffprobe.decode_errors(path)
        return self.check(not errors, "%s: ffmpeg reports %s" % (os.path.basename(path), errors))

    def variants(self):
        """(name, source, switches) of every packaged file the cases read."""
        out = []
        for source in ("spreadable_av1.wmv", "spreadable_audio.wma"):
            out += [("%s_spread%s" % (source[:-4], s.replace(":", "_")), source, ["--spread", s])
                    for s in SPREADS]
        out += [("%s_%s" % (self.source_for(s)[:-4], s), self.source_for(s), ["--" + s])
                for s in OTHER_SWITCHES]
        return out

    @staticmethod
    def source_for(switch):
        return "small_blocks_av.wmv" if switch == "compressed" else "spreadable_av1.wmv"

    def make(self, name, source, switches):
        return package(self.sources[source], os.path.join(self.work, name + source[-4:]),
                       switches)

    def packager(self):
        for name, source, switches in self.variants():
            path = self.make(name, source, switches)
            text = subprocess.run([sys.executable, DUMP, path, "--packets", "100000",
                                   "--payloads", "64"], capture_output=True, text=True).stdout
            marks = ["Audio Spread: Span=" + switches[1].split(":")[0]] \
                if "--spread" in switches else OTHER_SWITCHES[switches[0][2:]]
            self.check("SUMMARY: 0 check(s) failed" in text,
                       "%s: the dump reader finds faults:\n%s" % (name, "\n".join(
                           l for l in text.splitlines() if l.startswith("CHECK FAIL"))))
            self.check(all(m in text for m in marks), "%s: the dump lacks one of %s"
                       % (name, marks))
            got, _ = probe(path)
            self.failures += differences(name, got, expected(self.sources[source], switches))
            self.decodes(path)

    def read(self):
        for name, source, switches in self.variants():
            path = self.make(name, source, switches)
            info, run, error = asftool_run.info_json(self.asftool, path)
            if not self.check(info is not None, "%s: asftool info failed: %s\n%s"
                              % (name, error, run.describe())):
                continue
            self.check(info["damaged_packets"] == 0, "%s: %d damaged packets"
                       % (name, info["damaged_packets"]))
            packets, _ = probe(path)
            ours = [(s["samples"], s["first_time"], s["last_time"]) for s in info["streams"]]
            theirs = [(len(p), p[0][0] * 10000, p[-1][0] * 10000) for p in packets]
            self.check(ours == theirs, "%s: asftool reads %s, ffprobe %s" % (name, ours, theirs))

    def copy(self):
        for name, source, switches in self.variants():
            path = self.make(name, source, switches)
            out = os.path.join(self.work, "copy_" + os.path.basename(path))
            run = asftool_run.run([self.asftool, "copy", path, out])
            if self.check(run.returncode == 0 and not run.problem, "%s: copy failed\n%s"
                          % (name, run.describe())):
                self.failures += differences("copy of " + name, probe(out)[0], probe(path)[0])
                self.decodes(out)

    def joined(self, parts):
        paths = [self.make(*part) for part in parts]
        names = " + ".join(p[0] for p in parts)
        out = os.path.join(self.work, "joined.wmv")
        run = asftool_run.run([self.join, "--force", out] + paths)
        if not self.check(run.returncode == 0 and not run.problem and "damaged" not in run.stderr,
                          "join %s failed\n%s" % (names, run.describe())):
            return
        joined, _ = probe(out)
        cursor, previous_end = [0] * len(joined), -1
        for k, path in enumerate(paths):
            own, _ = probe(path)
            shifts = set()
            for s, packets in enumerate(own):
                placed = joined[s][cursor[s]:cursor[s] + len(packets)]
                cursor[s] += len(packets)
                shifts |= {p[0] - q[0] for p, q in zip(placed, packets)}
                self.check([p[1:] for p in placed] == [q[1:] for q in packets],
                           "join %s: part %d stream %d's packets are not all there, byte for byte"
                           % (names, k, s))
            first = min(p[0] for packets in own for p in packets)
            if self.check(len(shifts) == 1 and first + min(shifts) > previous_end,
                          "join %s: part %d is shifted by %s" % (names, k, sorted(shifts))):
                previous_end = max(p[0] for packets in own for p in packets) + shifts.pop()
        self.check(cursor == [len(p) for p in joined], "join %s: the output holds more packets"
                   % names)
        self.decodes(out)

    def joins(self):
        av1, av2, audio = "spreadable_av1.wmv", "spreadable_av2.wmv", "spreadable_audio.wma"
        plain = []
        cases = [
            [("s2a", av1, ["--spread", "2:block"]), ("s2b", av2, ["--spread", "2:block"])],
            [("s4a", av1, ["--spread", "4:block"]), ("s8b", av2, ["--spread", "8:merged"]),
             ("s2a", av1, ["--spread", "2:merged"])],
            [("s8a", av1, ["--spread", "8:block"]), ("plain_b", av2, plain)],
            [("plain_a", av1, plain), ("s4b", av2, ["--spread", "4:merged"])],
            [("s2m", audio, ["--spread", "2:merged"]), ("s8", audio, ["--spread", "8:block"]),
             ("plain", audio, plain)],
        ]
        cases += [[(s + "_a", av1, ["--" + s]), (s + "_b", av2, ["--" + s])]
                  for s in OTHER_SWITCHES if s not in ("mbr", "compressed")]
        small = "small_blocks_av.wmv"
        cases.append([("compressed", small, ["--compressed"]), ("plain", small, plain),
                      ("compressed", small, ["--compressed"])])
        cases.append([("mbr", av1, ["--mbr"]), ("mbr", av1, ["--mbr"])])
        for parts in cases:
            self.joined(parts)
        # One part declares bit rates, the other does not: their media types differ, as specified.
        for switch in ("headers", "extensions"):
            out = os.path.join(self.work, "refused.wmv")
            run = asftool_run.run([self.join, out, self.make(switch + "_a", av1, ["--" + switch]),
                                   self.sources[av2]])
            self.check(run.returncode not in (0, None) and not run.problem
                       and "Mismatch" in run.stderr and not os.path.exists(out),
                       "a part with bit rates joins one without\n%s" % run.describe())

    def damage(self):
        cut = self.make("cut", "spreadable_av1.wmv", ["--spread", "4:block", "--cut-object"])
        bad = self.make("bad_ecd", "spreadable_av1.wmv", ["--spread", "4:block"])
        data = bytearray(open(bad, "rb").read())
        at = data.index(bytes.fromhex("50cdc3bf8f61cf118bb200aa00b4e220")) - 16  # Audio Spread
        ecd = at + 54 + int.from_bytes(data[at + 40:at + 44], "little")
        data[ecd + 3:ecd + 5] = b"\0\0"  # a chunk length of 0
        open(bad, "wb").write(data)
        plain, _ = probe(self.sources["spreadable_av1.wmv"])
        for path in (cut, bad):
            info, run, error = asftool_run.info_json(self.asftool, path)
            name = os.path.basename(path)
            if self.check(info is not None, "%s: asftool info failed: %s" % (name, error)):
                counts = [s["samples"] for s in info["streams"]]
                self.check(info["damaged_packets"] == 1 and counts == [len(p) for p in plain],
                           "%s: %d damaged packets and samples %s; 1 and %s wanted"
                           % (name, info["damaged_packets"], counts, [len(p) for p in plain]))
            out = os.path.join(self.work, "damaged_join.wmv")
            run = asftool_run.run([self.join, "--force", out, path,
                                   self.sources["spreadable_av2.wmv"]])
            lines = [l for l in run.stderr.splitlines() if "damaged packet" in l]
            self.check(run.returncode == 0 and not run.problem and len(lines) == 1
                       and path in lines[0], "%s is not named once with its count\n%s"
                       % (name, run.describe()))


def main(argv):
    if len(argv) != 4 or argv[3] not in ("packager", "read", "copy", "join", "damage"):
        print(__doc__, file=sys.stderr)
        return 2
    asftool, join, what = argv[1:]
    asftool_run.require("ffprobe", "ffmpeg")
    with tempfile.TemporaryDirectory() as work:
        made = subprocess.run([os.path.join(HERE, "..", "data", "make_samples.sh"), "--packager",
                               work], capture_output=True, text=True)
        if made.returncode != 0:
            print("FAIL: the packager's sources could not be made\n" + made.stderr)
            return 1
        sources = {n: os.path.join(work, n) for n in os.listdir(work)}
        case = Case(asftool, join, work, sources)
        {"packager": case.packager, "read": case.read, "copy": case.copy, "join": case.joins,
         "damage": case.damage}[what]()
    return asftool_run.report(case.failures, what)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
