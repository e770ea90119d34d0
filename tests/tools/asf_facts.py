"""An ASF file as dump_asf.py (beside this file) reads it, a reader that shares no code with ours:
header fields, media objects per stream, script commands, Simple Index entries."""
import functools
import importlib.util
import os
import re
import struct
import uuid

DUMP_ASF = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dump_asf.py")
SIMPLE_INDEX = uuid.UUID("33000890-E5B1-11CF-89F4-00A0C90349CB").bytes_le


class _Collect:
    """dump_asf's report: keeps the lines and the failed checks instead of printing them."""

    def __init__(self):
        self.lines, self.failures = [], []

    def out(self, depth, text):
        self.lines.append(text)

    def check(self, ok, what):
        if not ok:
            self.failures.append(what)


@functools.lru_cache(maxsize=None)
def _dump_asf():
    spec = importlib.util.spec_from_file_location("dump_asf", DUMP_ASF)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


class Facts:
    def __init__(self, path):
        dump = _dump_asf()
        self.path = path
        data = open(path, "rb").read()
        report = _Collect()
        self.header, header_size = dump.parse_header(data, report, report)
        end, self.objects = dump.walk_data(data, self.header, header_size, report, report, 0, 0,
                                           True)
        self.failures = report.failures  # dump_asf's invariants that do not hold
        self.lines = report.lines
        # Script commands: (ms on the file's timeline, preroll included, command).
        self.scripts = [(int(m[1]), m[2]) for m in
                        (re.fullmatch(r"(\d+) ms type \d+ '(.*)'", t) for t in report.lines) if m]
        self.indexes = []  # (interval in 100 ns, [(packet, count)]), in stream order
        while end + 24 <= len(data):
            size = struct.unpack_from("<Q", data, end + 16)[0]
            if data[end:end + 16] == SIMPLE_INDEX:
                interval, _, n = struct.unpack_from("<QII", data, end + 40)
                self.indexes.append((interval, [struct.unpack_from("<IH", data, end + 56 + 6 * i)
                                                for i in range(n)]))
            end += max(size, 24)

    def declared_duration(self):
        """The header's play duration without the preroll (100 ns); 0 when none is declared."""
        h = self.header
        if h.flags & 1 or h.play_duration <= h.preroll_ms * 10000:
            return 0
        return h.play_duration - h.preroll_ms * 10000

    def index_faults(self):
        """Every Simple Index entry i must name the packet where the latest key frame at or before
        i * interval starts (the first key frame before any) and how many packets it spans; the
        entries reach the last video sample."""
        video = sorted(n for n, s in self.header.streams.items() if s.get("kind") == "video")
        faults = [] if len(self.indexes) == len(video) else [
            "%d Simple Index objects for %d video streams" % (len(self.indexes), len(video))]
        for number, (interval, entries) in zip(video, self.indexes):
            objects = self.objects.get(number, [])
            keys = sorted((o[0] * 10000, k, o[3], o[4]) for k, o in enumerate(objects) if o[2])
            for i, entry in enumerate(entries):
                due = [k for k in keys if k[0] <= i * interval] or keys[:1]
                if due and entry != due[-1][2:]:
                    faults.append("stream %d entry %d (%d ms): %s, key frame at %d ms is %s"
                                  % (number, i, i * interval // 10000, entry,
                                     due[-1][0] // 10000, due[-1][2:]))
            last = max((o[0] for o in objects), default=0) * 10000
            if len(entries) * interval <= last:
                faults.append("stream %d: %d entries end before the sample at %d ms"
                              % (number, len(entries), last // 10000))
        return faults[:10]
