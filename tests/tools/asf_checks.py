"""Checks of written ASF files that do not go through our reader: ffprobe's stream parameters,
and the Simple Index read from the file's bytes against the key frames ffprobe finds."""
import json
import struct
import subprocess
import uuid

HEADER = uuid.UUID("75B22630-668E-11CF-A6D9-00AA0062CE6C").bytes_le
FILE_PROPERTIES = uuid.UUID("8CABDCA1-A947-11CF-8EE4-00C00C205365").bytes_le
SIMPLE_INDEX = uuid.UUID("33000890-E5B1-11CF-89F4-00A0C90349CB").bytes_le

# Stream fields that follow from the stream's length, not from its parameters.
LENGTH_FIELDS = ("duration", "duration_ts", "nb_frames", "nb_read_frames", "nb_read_packets")


def ffprobe(path, *args):
    out = subprocess.run(["ffprobe", "-v", "error", "-of", "json", *args, path],
                         capture_output=True, text=True, check=True, timeout=120).stdout
    return json.loads(out)


def stream_parameters(path, ignore=()):
    """ffprobe's -show_streams -show_data entries, without the fields named in ignore."""
    return [{k: v for k, v in s.items() if k not in ignore}
            for s in ffprobe(path, "-show_streams", "-show_data").get("streams", [])]


def differences(a, b):
    """Lines naming every stream field that differs between two stream_parameters lists."""
    if len(a) != len(b):
        return ["%d streams != %d" % (len(a), len(b))]
    out = []
    for i, (x, y) in enumerate(zip(a, b)):
        for k in sorted(set(x) | set(y)):
            if x.get(k) != y.get(k):
                out.append("stream %d %s: %r != %r" % (i, k, x.get(k), y.get(k)))
    return out


def _layout(data):
    """(preroll ms, packet size, first packet offset, [(interval, [packet numbers])])."""
    if data[:16] != HEADER:
        raise ValueError("not an ASF file")
    header_size = struct.unpack_from("<Q", data, 16)[0]
    pos, preroll, packet_size = 30, None, None
    while pos + 24 <= header_size:
        size = struct.unpack_from("<Q", data, pos + 16)[0]
        if data[pos:pos + 16] == FILE_PROPERTIES:
            preroll = struct.unpack_from("<Q", data, pos + 80)[0]
            packet_size = struct.unpack_from("<I", data, pos + 92)[0]
        pos += max(size, 24)
    data_size = struct.unpack_from("<Q", data, header_size + 16)[0]
    indexes, pos = [], header_size + data_size
    while pos + 24 <= len(data):
        size = struct.unpack_from("<Q", data, pos + 16)[0]
        if data[pos:pos + 16] == SIMPLE_INDEX:
            interval, _, count = struct.unpack_from("<QII", data, pos + 40)
            indexes.append((interval, [struct.unpack_from("<I", data, pos + 56 + 6 * i)[0]
                                       for i in range(count)]))
        pos += max(size, 24)
    return preroll, packet_size, header_size + 50, indexes


def index_problems(path):
    """Each Simple Index entry must name the packet where the latest key frame at or before the
    entry's time starts (the first key frame before that one); one index per video stream."""
    data = open(path, "rb").read()
    preroll, packet_size, first_packet, indexes = _layout(data)
    info = ffprobe(path, "-show_streams", "-show_packets")
    videos = [s["index"] for s in info["streams"] if s["codec_type"] == "video"]
    if len(indexes) != len(videos):
        return ["%d Simple Index objects for %d video streams" % (len(indexes), len(videos))]
    problems = []
    for stream, (interval, entries) in zip(videos, indexes):
        keys = sorted((int(p.get("pts", p.get("dts"))) + preroll,
                       (int(p["pos"]) - first_packet) // packet_size)
                      for p in info["packets"]
                      if p["stream_index"] == stream and "K" in p.get("flags", ""))
        if not keys:
            return ["video stream %d has no key frame" % stream]
        if len(entries) * interval <= (keys[-1][0] * 10000):
            problems.append("stream %d: %d entries end before the last key frame" %
                            (stream, len(entries)))
        for i, packet in enumerate(entries):
            at = [k for k in keys if k[0] * 10000 <= i * interval]
            wanted = (at[-1] if at else keys[0])[1]
            if packet != wanted:
                problems.append("stream %d entry %d (%d ms): packet %d, the key frame is in %d"
                                % (stream, i, i * interval // 10000, packet, wanted))
    return problems[:10]
