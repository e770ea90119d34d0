#!/usr/bin/env python3
"""Joins of the bundled samples through splicora-join, checked with FFmpeg, ExifTool and
tests/tools/dump_asf.py.

usage: real_joins.py SPLICORA_JOIN DATA_DIR CASE
Exits 77 (skipped) when one of them is missing, 1 under CI.
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

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
import asf_facts  # noqa: E402
import asftool_run  # noqa: E402

JOIN, DATA, CASE = sys.argv[1], sys.argv[2], sys.argv[3]
META = os.path.join(DATA, "av_wmv2_wma2_meta.wmv")
PART2 = os.path.join(DATA, "av_part2.wmv")
PART3 = os.path.join(DATA, "av_part3.wmv")
WMV1 = os.path.join(DATA, "av_wmv1_incompatible.wmv")
VIDEO = os.path.join(DATA, "video_only.wmv")
SECOND = 10000000  # 100 ns
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
                        "stream=index,codec_type,codec_name,time_base:"
                        "packet=stream_index,pts,dts,data_hash:"
                        "format_tags:chapter=start_time:chapter_tags=title",
                        path], capture_output=True, text=True, timeout=120)
    if p.returncode != 0:
        raise SystemExit(f"ffprobe failed on {path}: {p.stderr}")
    info = json.loads(p.stdout)
    streams = info.get("streams", [])
    check(all(s.get("time_base") in (None, "1/1000") for s in streams), f"ms time base in {path}")
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


def placed_length(path, packets):
    """Where the join's clock stops on an input (100 ns). The clock starts at 1 s and steps by
    1 s; it stops at the first step past every sample's time and at or after the content's end:
    the last sample time, raised to the header's declared duration when that lies at most 2 s
    beyond. (These inputs declare no sample durations.)"""
    facts = asf_facts.Facts(path)
    check(not any("PES Sample Duration" in line for line in facts.lines),
          f"{path} declares no sample durations")
    last = max(t for ps in packets.values() for t, _ in ps) * 10000
    end = last
    if end < facts.declared_duration() <= end + 2 * SECOND:
        end = facts.declared_duration()
    clock = SECOND
    while clock <= last or clock < end:
        clock += SECOND
    return clock


def check_output(out, inputs, placed, left_out):
    """The output holds every placed input's packets at its expected offset; returns them."""
    dec = subprocess.run(["ffmpeg", "-v", "error", "-i", out, "-f", "null", "-"],
                         capture_output=True, text=True, timeout=300)
    check(dec.stdout == "" and dec.stderr == "", f"ffmpeg decodes {out} silently: {dec.stderr[:300]}")
    out_streams, out_packets, out_chapters, out_tags = probe(out)
    expected = {s["index"]: [] for s in out_streams}
    chapters = []
    offsets = {}
    offset = 0
    for k, path in enumerate(inputs):
        if k in left_out:
            continue
        offsets[k] = offset
        streams, packets, marks, _ = probe(path)
        for o, i in partner_streams(out_streams, streams).items():
            expected[o] += [(pts + offset // 10000, h) for pts, h in packets[i]]
        chapters += [(title, start + offset // 10000) for title, start in marks]
        offset += placed_length(path, packets)
    for index, wanted in expected.items():
        got = out_packets[index]
        n = next((n for n, (g, w) in enumerate(zip(got, wanted)) if g != w), len(wanted))
        check(got == wanted, f"stream {index}: {len(got)} packets in order and byte for byte, "
                             f"inputs at {offsets} (100 ns); expected {len(wanted)}, packet {n} "
                             f"is {got[n:n + 1]} instead of {wanted[n:n + 1]}")
    expected_ms = {k: o // 10000 for k, o in offsets.items()}
    check(placed == expected_ms, f"printed placement {placed} is {expected_ms} (ms)")
    check(out_chapters == chapters, f"markers at their inputs' offsets: {out_chapters} vs {chapters}")
    first_tags = probe(inputs[0])[3]
    for tag in ("title", "artist", "genre"):
        check(out_tags.get(tag) == first_tags.get(tag),
              f"{tag} carried: {out_tags.get(tag)!r} vs {first_tags.get(tag)!r}")
    facts = asf_facts.Facts(out)
    for fault in facts.failures + facts.index_faults():
        check(False, f"{out}: {fault}")
    return offsets, facts


def join_and_check(inputs, name="out.wmv", left_out=()):
    out = os.path.join(work, name)
    rc, stdout, stderr, placed = run_join(out, inputs)
    check(rc == 0, f"join exits 0 (got {rc}): {stderr}")
    check(set(placed) == set(range(len(inputs))) - set(left_out), f"placement printed: {stdout}")
    if rc == 0:
        return stderr, check_output(out, inputs, placed, left_out)
    return stderr, ({}, None)


def refused(inputs, messages, code=1, out_name="out.wmv", *options):
    out = os.path.join(work, out_name)
    rc, _, stderr, _ = run_join(out, inputs, *options)
    check(rc == code, f"refusal exits {code} (got {rc})")
    for m in messages:
        check(m in stderr, f"message {m!r} in {stderr!r}")
    return out


def guid_bytes(text):
    return uuid.UUID(text).bytes_le


def edited_copy(source, target, guid=None, body=b"", declared=None, replace=None):
    """source with an object added to its header, another declared duration (100 ns) or, from
    the Codec List on, its first occurrence of replace[0] replaced by as many bytes."""
    data = bytearray(open(source, "rb").read())
    props = data.find(guid_bytes("8CABDCA1-A947-11CF-8EE4-00C00C205365"))
    if declared is not None:
        preroll = struct.unpack_from("<Q", data, props + 80)[0]
        struct.pack_into("<Q", data, props + 64, declared + preroll * 10000)
    if replace:
        at = data.find(replace[0], data.find(guid_bytes("86D15240-311D-11D0-A3A4-00A0C90348F6")))
        check(at > 0, f"{replace[0]} in the codec list of {source}")
        data[at:at + len(replace[1])] = replace[1]
    if guid:
        size, count = struct.unpack_from("<QI", data, 16)
        data[30:30] = guid_bytes(guid) + struct.pack("<Q", 24 + len(body)) + body
        struct.pack_into("<QI", data, 16, size + 24 + len(body), count + 1)
        struct.pack_into("<Q", data, props + 24 + len(body) + 40, len(data))
    open(target, "wb").write(data)
    return target


def protected_copy(source, target):
    """source with an Extended Content Encryption object added to its header."""
    payload = b"<WRMHEADER/>"
    edited_copy(source, target, "298AE614-2622-4C17-B935-DAE07EE9289C",
                struct.pack("<I", len(payload)) + payload)


def scripted_copy(source, name, ms, command, replace=None):
    """source with a Script Command object: one URL command at ms after the preroll."""
    def text(s):
        return struct.pack("<H", len(s) + 1) + (s + "\0").encode("utf-16-le")
    preroll = asf_facts.Facts(source).header.preroll_ms
    body = guid_bytes("4B1ACBE3-100B-11D0-A39B-00A0C90348F6") + struct.pack("<HH", 1, 1) + \
        text("URL") + struct.pack("<IH", preroll + ms, 0) + text(command)
    return edited_copy(source, os.path.join(work, name), "1EFB1A30-0B62-11D0-A39B-00A0C90348F6",
                       body, replace=replace)


def codecs(path):
    out = subprocess.run(["exiftool", "-j", "-*Codec*", path], capture_output=True, text=True)
    return {k: v for k, v in json.loads(out.stdout)[0].items() if k != "SourceFile"}


def check_boundaries():
    """A declared duration ending exactly on a whole second ends the input there; a last sample
    exactly on a clock step waits for the next one."""
    frames = [t for t, _ in probe(VIDEO)[1][0]]
    step = next((t for t in frames if t and t % 1000 == 0), None)
    check(step is not None, f"a frame of {VIDEO} lies on a whole second: {frames}")
    on_second = edited_copy(VIDEO, os.path.join(work, "on_second.wmv"),
                            declared=(frames[-1] // 1000 + 1) * SECOND)
    cut = os.path.join(work, "cut.wmv")
    subprocess.run(["ffmpeg", "-v", "error", "-i", VIDEO, "-c", "copy", "-frames:v",
                    str(frames.index(step) + 1), cut], check=True, timeout=120)
    stepped = edited_copy(cut, os.path.join(work, "stepped.wmv"), declared=step * 10000)
    join_and_check([on_second, stepped, on_second])


def check_header_carry():
    """Codec list of the first input; scripts of the second at the first one's declared duration,
    the others' at their own offsets."""
    renamed = ("wmv2".encode("utf-16-le"), "WMV2".encode("utf-16-le"))
    inputs = [scripted_copy(META, "first.wmv", 500, "first", renamed),
              scripted_copy(PART2, "second.wmv", 250, "second"),
              scripted_copy(PART3, "third.wmv", 750, "third")]
    _, (offsets, facts) = join_and_check(inputs)
    if facts is None:
        return
    preroll = facts.header.preroll_ms
    first_duration = asf_facts.Facts(inputs[0]).declared_duration() // 10000
    wanted = [(preroll + 500, "first"), (preroll + first_duration + 250, "second"),
              (preroll + offsets[2] // 10000 + 750, "third")]
    check(sorted(facts.scripts) == wanted, f"scripts {facts.scripts}, expected {wanted}")
    check(codecs(facts.path) == codecs(inputs[0]) != codecs(inputs[1]),
          f"codec list of the first input: {codecs(facts.path)}")


def staged_files_left():
    return [n for n in os.listdir(work) if n.startswith(".")]


def check_later_inputs():
    """Input 3 or 4 that cannot be joined refuses the whole join before anything is written: the
    message names it by number and name, and an existing output under --force stays as it was."""
    text = os.path.join(work, "notes.wmv")
    open(text, "w").write("not a media file")
    fifo = os.path.join(work, "pipe.wmv")
    os.mkfifo(fifo)
    old = os.path.join(work, "old.wmv")
    shutil.copy(PART3, old)
    before = open(old, "rb").read()
    for bad in (os.path.join(work, "missing.wmv"), text, fifo, WMV1):
        for place in (3, 4):
            inputs = [META, PART2, PART3, PART2][:place - 1] + [bad] + [PART3][:4 - place]
            rc, stdout, stderr, _ = run_join(old, inputs, "--force")
            check(rc == 1 and stdout == "", f"{bad} as input {place} fails the join ({rc})")
            check(f"Input {place}: {bad} cannot be joined; nothing was written." in stderr,
                  f"{bad} named as input {place}: {stderr!r}")
            check(open(old, "rb").read() == before, f"{old} kept after {bad} as input {place}")
    check(not staged_files_left(), f"nothing staged is left: {staged_files_left()}")


def check_cut_while_read():
    """An input cut short while it is copied fails the join, names it and the system's reason,
    and leaves the existing output as it was."""
    big = os.path.join(work, "big.wmv")
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-stream_loop", "60", "-i", PART2,
                    "-c", "copy", big], check=True)
    size = os.path.getsize(big)
    old = os.path.join(work, "old.wmv")
    open(old, "w").write("keep me")
    # The reads of the input are watched: a third of the way through, it is cut to half.
    env = dict(os.environ, LD_PRELOAD=os.environ["CUT_LIBRARY"], CUT_FILE=big,
               CUT_AFTER=str(size // 3), CUT_TO=str(size // 2),
               ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0")
    p = subprocess.run([JOIN, "--force", old, META, PART2, big], capture_output=True, text=True,
                       env=env, timeout=120)
    check(os.path.getsize(big) == size // 2, "the input was cut while the join ran")
    check(p.returncode == 1 and p.stdout == "", f"the join fails ({p.returncode}): {p.stdout}")
    check(f"{big}: the file became shorter while it was read\nInput 3: {big}" in p.stderr,
          f"the cut input named with the reason: {p.stderr!r}")
    check("second file" not in p.stderr.split("Input 3")[1], "no later message without its name")
    check(open(old).read() == "keep me", "the existing output kept")
    check(not staged_files_left(), f"nothing staged is left: {staged_files_left()}")


def marked_copy(source, target, count):
    """source with a Marker object of count markers, a second apart."""
    preroll = asf_facts.Facts(source).header.preroll_ms
    entries = b"".join(struct.pack("<QQHIII", 0, (preroll + i * 1000) * 10000, 16, 0, 0, 2) +
                       "m\0".encode("utf-16-le") for i in range(count))
    body = guid_bytes("4CFEDB20-75F6-11CF-9C0F-00A0C90349CB") + struct.pack("<IHH", count, 0, 0)
    return edited_copy(source, target, "F487CD01-A951-11CF-8EE6-00C00C205365", body + entries)


def check_limits():
    """What the format cannot hold is refused before anything is written, never cut."""
    marked = marked_copy(META, os.path.join(work, "marked.wmv"), 40000)
    chapters = json.loads(subprocess.run(["ffprobe", "-v", "error", "-show_chapters", "-of",
                                          "json", marked], capture_output=True,
                                         text=True).stdout).get("chapters", [])
    check(len(chapters) == 40000, f"ffprobe reads the 40000 markers ({len(chapters)})")
    out = refused([marked, marked], ["With input 2 (" + marked + ") the joined file would hold "
                                     "at least 800", "markers; a Windows Media file holds at most "
                                     "65535. Nothing was written."])
    check(not os.path.exists(out) and not staged_files_left(), "nothing written for 80000 markers")

    endless = edited_copy(META, os.path.join(work, "endless.wmv"), declared=2 ** 62)
    out = refused([endless, PART2], [f"The first file {endless} declares a duration past 49.7 "
                                     "days"])
    check(not os.path.exists(out), "nothing written for a first input past the time limit")

    # A carried attribute too large for its copy is skipped with a warning; the join goes on.
    import asftool_limits
    big = os.path.join(work, "big_attribute.wmv")
    open(big, "wb").write(asftool_limits.with_big_library_value(open(META, "rb").read(), 70000,
                                                                "BannerImageData"))
    carried = os.path.join(work, "carried.wmv")
    rc, _, stderr, _ = run_join(carried, [big, PART2])
    check(rc == 0, f"the join goes on without the large attribute ({rc}): {stderr}")
    check("The attribute BannerImageData of the first file is larger than 65535 bytes" in stderr,
          f"the attribute is named: {stderr!r}")
    tags = probe(carried)[3]
    check(tags.get("title") and "bannerimagedata" not in tags, f"the rest carried over: {tags}")


def check_part_markers(gapless):
    """--part-markers: a marker named after each input's file where ffprobe finds that input's
    first packet in the output, before the input's own markers, whole seconds unless gapless.
    Markers for the parts count against the format's limit."""
    inputs = [META, PART2, PART3, PART2]
    out = os.path.join(work, "parts.wmv")
    rc, _, stderr, _ = run_join(out, inputs, "--part-markers", *(["--gapless"] if gapless else []))
    check(rc == 0, f"join with part markers exits 0 (got {rc}): {stderr}")
    if rc != 0:
        return
    out_streams, out_packets, out_chapters, _ = probe(out)
    taken = {o: 0 for o in out_packets}
    expected, part_starts = [], []
    for path in inputs:
        streams, packets, marks, _ = probe(path)
        check(min(t for ps in packets.values() for t, _ in ps) == 0, f"{path} starts at 0")
        starts = []
        for o, i in partner_streams(out_streams, streams).items():
            run = out_packets[o][taken[o]:taken[o] + len(packets[i])]
            starts.append(min(t for t, _ in run))
            taken[o] += len(packets[i])
        start = min(starts)
        part_starts.append(start)
        expected.append((os.path.splitext(os.path.basename(path))[0], start))
        expected += [(title, at + start) for title, at in marks]
    expected.sort(key=lambda c: c[1])  # stable: a part's marker before its own at one time
    check(out_chapters == expected, f"part markers: {out_chapters} vs {expected}")
    whole = all(start % 1000 == 0 for start in part_starts)
    check(whole != gapless, f"parts start on whole seconds only without --gapless: {part_starts}")

    # 2 + 2 * 32766 markers of the inputs fit; with 3 for the parts they do not.
    marked = marked_copy(PART2, os.path.join(work, "marked.wmv"), 32766)
    out = refused([META, marked, marked], ["With input 3 (" + marked + ") the joined file would "
                                           "hold at least 65537 markers"], 1, "full.wmv",
                  "--part-markers", *(["--gapless"] if gapless else []))
    check(not os.path.exists(out) and not staged_files_left(), "nothing written past the limit")


def made_with_ffmpeg(name, size, rate):
    path = os.path.join(work, name)
    p = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                        f"testsrc=size={size}:rate=15:duration=1", "-f", "lavfi", "-i",
                        f"sine=sample_rate={rate}:duration=1", "-ac", "2", "-c:v", "wmv2",
                        "-b:v", "300k", "-c:a", "wmav2", "-b:a", "64k", path],
                       capture_output=True, text=True, timeout=120)
    if p.returncode != 0:
        raise SystemExit(f"ffmpeg could not make {name}: {p.stderr}")
    return path


def probed_stream(path, kind):
    p = subprocess.run(["ffprobe", "-v", "error", "-of", "json", "-show_entries",
                        "stream=codec_type,codec_name,width,height,sample_rate,channels", path],
                       capture_output=True, text=True, timeout=60)
    return next(s for s in json.loads(p.stdout)["streams"] if s["codec_type"] == kind)


def check_mismatch_details():
    """The line after the mismatch text names the difference, with ffprobe's figures."""
    def size(path):
        s = probed_stream(path, "video")
        return f"{s['width']}\u00d7{s['height']}"

    def sound(path):
        s = probed_stream(path, "audio")
        return f"{s['sample_rate']} Hz " + {1: "mono", 2: "stereo"}[s["channels"]]

    small = made_with_ffmpeg("small.wmv", "320x240", 48000)
    large = made_with_ffmpeg("large.wmv", "640x480", 48000)
    other_rate = made_with_ffmpeg("rate.wmv", "320x240", 44100)
    text = "Mismatch in Media types of both the Streams.\n"
    refused([small, large], [f"{text}video {size(large)}, the first file's is {size(small)}\n"])
    refused([small, other_rate],
            [f"{text}audio {sound(other_rate)}, the first file's is {sound(small)}\n"])
    codec = [probed_stream(f, "video")["codec_name"].upper() for f in (META, WMV1)]
    refused([META, WMV1], [f"{text}codec {codec[1]}, the first file's is {codec[0]}\n"])


def rerun_with_own_terminals(reason):
    """Runs this case again in a mount namespace of its own with a new devpts; its status."""
    marker = "SPLICORA_OWN_TERMINALS"
    if os.environ.get(marker) or os.geteuid() != 0 or not shutil.which("unshare"):
        required = asftool_run.judges_required()
        print(f"{'FAIL' if required else 'SKIP'}: no pseudo-terminal can be opened ({reason})")
        return 1 if required else asftool_run.SKIP
    # In a chroot "/" is no mount point, so propagation stays as it is; the new instance is
    # unmounted before the namespace ends.
    mount = ('mount -t devpts -o newinstance,ptmxmode=0666 devpts /dev/pts || exit 1; '
             '"$@"; status=$?; umount /dev/pts; exit $status')
    return subprocess.run(["unshare", "--mount", "--propagation", "unchanged", "sh", "-c", mount,
                           "sh", sys.executable, *sys.argv],
                          env=dict(os.environ, **{marker: "1"})).returncode


def main():
    asftool_run.require("ffprobe", "ffmpeg", "exiftool", asf_facts.DUMP_ASF)
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
    elif CASE == "boundaries":
        check_boundaries()
    elif CASE == "header_carry":
        check_header_carry()
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
    elif CASE == "part_markers":
        check_part_markers(False)
    elif CASE == "part_markers_gapless":
        check_part_markers(True)
    elif CASE == "mismatch_details":
        check_mismatch_details()
    elif CASE == "later_inputs":
        check_later_inputs()
    elif CASE == "cut_while_read":
        check_cut_while_read()
    elif CASE == "limits":
        check_limits()
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
        rc, _, err, _ = run_join(os.path.join(work, "pipe.wmv"), inputs)
        check(rc == 0 and "joining" not in err and "%" not in err, "no progress into a pipe: " + err)
        try:
            master, slave = pty.openpty()
        except OSError as e:
            # A chroot without /dev/pts: the case runs again with terminals of its own.
            return 1 if failures else rerun_with_own_terminals(e)
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
    else:
        raise SystemExit(f"unknown case {CASE}")
    return 1 if failures else 0


with tempfile.TemporaryDirectory() as work:
    sys.exit(main())
