"""Checks of written ASF files that do not go through our reader: ffprobe's stream parameters.
(The Simple Index is checked by asf_facts, through the reference dump reader.)"""
import json
import subprocess

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
