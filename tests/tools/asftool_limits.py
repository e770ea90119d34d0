#!/usr/bin/env python3
"""Limits and damage that asftool must name, never pass over in silence.

Usage: asftool_limits.py ASFTOOL DATA_DIR scattered|limits

scattered  Each sample's data packets are damaged at scattered bytes (fixed seeds, so every run
           damages the same bytes). Whenever asftool reads fewer samples than ffprobe counts in
           the undamaged file, damaged_packets is above zero: no sample is lost uncounted.
limits     `asftool mark` refuses a name longer than its 16-bit length field holds (naming the
           file, leaving it as it was) and keeps one at the limit whole (ffprobe reads it back as
           a chapter); refuses "" and "0x10" as times and says "the file is empty" for an empty
           file. `asftool info` lists a Metadata Library value larger than 64 KB with its size.
Exit status: 0 passed, 1 failed, 77 ffprobe missing (1 under CI).
"""
import json
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import uuid

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import asftool_run  # noqa: E402

SAMPLES = ("av_wmv2_wma2_meta.wmv", "audio_only.wma", "video_only.wmv", "two_audio.wmv")
VARIANTS = 100  # damaged copies per sample
MAX_BYTES = 6  # damaged bytes per copy
MARKER_NAME_LIMIT = 32760  # (65535 - 12) / 2 - 1 characters


def guid(text):
    return uuid.UUID(text).bytes_le


HEADER_EXTENSION = guid("5FBF03B5-A92E-11CF-8EE3-00C00C205365")
FILE_PROPERTIES = guid("8CABDCA1-A947-11CF-8EE4-00C00C205365")
METADATA_LIBRARY = guid("44231C94-9498-49D1-A141-1D134E457054")


def header_children(data):
    """(guid, offset, size) of each header object."""
    header_size = struct.unpack_from("<Q", data, 16)[0]
    pos, out = 30, []
    while pos < header_size:
        size = struct.unpack_from("<Q", data, pos + 16)[0]
        out.append((data[pos:pos + 16], pos, size))
        pos += size
    return out


def data_section(data):
    """(first packet offset, packet size, packet count) of a well-formed file."""
    header_size = struct.unpack_from("<Q", data, 16)[0]
    fp = [off for g, off, _ in header_children(data) if g == FILE_PROPERTIES][0]
    packet_size = struct.unpack_from("<I", data, fp + 92)[0]
    count = struct.unpack_from("<Q", data, header_size + 40)[0]
    return header_size + 50, packet_size, count


def ffprobe_packets(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-count_packets", "-show_entries",
                          "stream=nb_read_packets", "-of", "json", path],
                         capture_output=True, text=True, check=True).stdout
    return sum(int(s["nb_read_packets"]) for s in json.loads(out)["streams"])


def check_scattered(asftool, data_dir, work, failures):
    asftool_run.require("ffprobe")
    lost_uncounted = lost_counted = 0
    for name in SAMPLES:
        source = os.path.join(data_dir, name)
        with open(source, "rb") as f:
            original = f.read()
        expected = ffprobe_packets(source)
        intact, run, error = asftool_run.info_json(asftool, source)
        if intact is None or sum(s["samples"] for s in intact["streams"]) != expected:
            failures.append("%s: asftool does not read ffprobe's %d samples undamaged\n%s"
                            % (name, expected, run.describe()))
            continue
        first, packet_size, count = data_section(original)
        for seed in range(VARIANTS):
            rng = random.Random("%s/%d" % (name, seed))
            damaged = bytearray(original)
            places = sorted(rng.randrange(first, first + packet_size * count)
                            for _ in range(rng.randint(1, MAX_BYTES)))
            for at in places:
                damaged[at] ^= rng.randint(1, 255)
            path = os.path.join(work, "damaged_%d_%s" % (seed, name))
            with open(path, "wb") as f:
                f.write(damaged)
            got, run, error = asftool_run.info_json(asftool, path)
            if got is None:
                failures.append("%s seed %d: %s\n%s" % (name, seed, error, run.describe()))
                continue
            samples = sum(s["samples"] for s in got["streams"])
            if samples < expected and got["damaged_packets"] == 0:
                lost_uncounted += 1
                failures.append("%s seed %d (bytes %s): %d samples of %d read, damaged_packets 0"
                                % (name, seed, places, samples, expected))
            elif samples < expected:
                lost_counted += 1
            os.unlink(path)
    print("scattered damage: %d copies lost samples and counted it, %d did not"
          % (lost_counted, lost_uncounted))
    if lost_counted == 0 and not failures:
        failures.append("no copy lost a sample: the damage does not test anything")


def run_ok(argv, failures, want_success, *texts):
    r = asftool_run.run(argv)
    if r.problem or (r.returncode == 0) != want_success:
        failures.append("unexpected outcome\n" + r.describe())
        return r
    for text in texts:
        if text not in r.stdout + r.stderr:
            failures.append("the output does not say %r\n%s" % (text, r.describe()))
    return r


def with_big_library_value(data, size, name="WM/Picture"):
    """The file with a Metadata Library object of one binary value of size bytes."""
    name = name.encode("utf-16-le") + b"\0\0"
    body = struct.pack("<H", 1) + struct.pack("<HHHHI", 0, 0, len(name), 1, size) + name
    body += bytes(i % 251 for i in range(size))
    obj = METADATA_LIBRARY + struct.pack("<Q", 24 + len(body)) + body
    out = bytearray(data)
    ext = [off for g, off, _ in header_children(data) if g == HEADER_EXTENSION][0]
    ext_size = struct.unpack_from("<Q", data, ext + 16)[0]
    out[ext + ext_size:ext + ext_size] = obj
    struct.pack_into("<Q", out, ext + 16, ext_size + len(obj))
    struct.pack_into("<I", out, ext + 42, struct.unpack_from("<I", data, ext + 42)[0] + len(obj))
    struct.pack_into("<Q", out, 16, struct.unpack_from("<Q", data, 16)[0] + len(obj))
    fp = [off for g, off, _ in header_children(data) if g == FILE_PROPERTIES][0]
    struct.pack_into("<Q", out, fp + 40, len(out))
    return bytes(out)


def check_limits(asftool, data_dir, work, failures):
    asftool_run.require("ffprobe")
    source = os.path.join(data_dir, "av_wmv2_wma2_meta.wmv")
    path = os.path.join(work, "marked.wmv")
    shutil.copy(source, path)
    with open(path, "rb") as f:
        before = f.read()

    run_ok([asftool, "mark", path, "1", "x" * 40000], failures, False, path, "16-bit")
    for seconds in ("", "0x10"):
        run_ok([asftool, "mark", path, seconds, "m"], failures, False, "not a time in seconds")
    with open(path, "rb") as f:
        if f.read() != before:
            failures.append("a refused mark changed the file")

    # ffprobe reads a marker's name into a buffer of 1,023 characters: it judges the marker's
    # place and the start of its name; asftool must read all of it.
    name = "".join(chr(ord("a") + i % 26) for i in range(MARKER_NAME_LIMIT))
    run_ok([asftool, "mark", path, "1.5", name], failures, True)
    out = subprocess.run(["ffprobe", "-v", "error", "-show_chapters", "-of", "json", path],
                         capture_output=True, text=True).stdout
    chapters = json.loads(out or "{}").get("chapters", [])
    if not any(name.startswith(c.get("tags", {}).get("title", "-")) and
               abs(float(c.get("start_time", -1)) - 1.5) < 0.001 for c in chapters):
        failures.append("ffprobe finds no marker at 1.5 s starting with the name: %s"
                        % [(c.get("start_time"), c.get("tags", {}).get("title", "")[:20])
                           for c in chapters])
    got, run, error = asftool_run.info_json(asftool, path)
    if got is None or name not in [m.get("name") for m in got.get("markers", [])]:
        failures.append("asftool does not read the %d-character name back whole\n%s"
                        % (MARKER_NAME_LIMIT, run.describe()[:2000]))

    empty = os.path.join(work, "empty.wmv")
    open(empty, "wb").close()
    run_ok([asftool, "mark", empty, "1", "m"], failures, False, empty, "the file is empty")

    big = os.path.join(work, "big_value.wmv")
    with open(big, "wb") as f:
        f.write(with_big_library_value(before, 70000))
    r = run_ok([asftool, "info", "--json", big], failures, True)
    if r.returncode == 0:
        attributes = json.loads(r.stdout).get("attributes", [])
        listed = [a for a in attributes if a.get("name") == "WM/Picture"]
        if not listed or "70000 bytes" not in listed[0].get("value", ""):
            failures.append("the 70,000-byte value is not listed with its size: %s" % listed)
    if ffprobe_packets(big) != ffprobe_packets(source):
        failures.append("the file with the large value is not well-formed (ffprobe differs)")


def main(argv):
    if len(argv) != 4 or argv[3] not in ("scattered", "limits"):
        print(__doc__)
        return 2
    asftool, data_dir, mode = argv[1:]
    failures = []
    work = tempfile.mkdtemp(prefix="splicora_limits_")
    try:
        (check_scattered if mode == "scattered" else check_limits)(asftool, data_dir, work, failures)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for f in failures:
        print("FAIL " + f)
    if not failures:
        print("ok " + mode)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
