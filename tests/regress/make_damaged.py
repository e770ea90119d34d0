#!/usr/bin/env python3
"""Derives the damaged regression files from a bundled sample.

Usage: make_damaged.py [SOURCE] [OUTDIR]
  SOURCE  defaults to ../data/av_wmv2_wma2_meta.wmv beside this script
  OUTDIR  defaults to the folder of this script

Each file is the source with one kind of damage; random bytes come from fixed seeds, so the
output is the same on every run. README.md says what each file holds and how a reader must
react; expected.tsv says the same for the tests.
"""
import os
import random
import struct
import sys
import uuid


def guid(text):
    return uuid.UUID(text).bytes_le


HEADER = guid("75B22630-668E-11CF-A6D9-00AA0062CE6C")
DATA = guid("75B22636-668E-11CF-A6D9-00AA0062CE6C")
FILE_PROPERTIES = guid("8CABDCA1-A947-11CF-8EE4-00C00C205365")
STREAM_PROPERTIES = guid("B7DC0791-A9B7-11CF-8EE6-00C00C205365")
HEADER_EXTENSION = guid("5FBF03B5-A92E-11CF-8EE3-00C00C205365")
CONTENT_DESCRIPTION = guid("75B22633-668E-11CF-A6D9-00AA0062CE6C")
EXTENDED_CONTENT_DESCRIPTION = guid("D2D0A440-E307-11D2-97F0-00A0C95EA850")
MARKER = guid("F487CD01-A951-11CF-8EE6-00C00C205365")
CODEC_LIST = guid("86D15240-311D-11D0-A3A4-00A0C90348F6")

# Widths of the variable fields of a packet, by their 2-bit length type.
VAR_WIDTH = (0, 1, 2, 4)


class Sample:
    """The layout of a well-formed source file, as far as the damage needs it."""

    def __init__(self, data):
        self.data = bytes(data)
        if self.data[:16] != HEADER:
            raise ValueError("source is not an ASF file")
        self.header_size = struct.unpack_from("<Q", self.data, 16)[0]
        self.children = []  # (guid, offset, size)
        pos = 30
        while pos < self.header_size:
            size = struct.unpack_from("<Q", self.data, pos + 16)[0]
            self.children.append((self.data[pos:pos + 16], pos, size))
            pos += size
        if pos != self.header_size or self.data[pos:pos + 16] != DATA:
            raise ValueError("source header is not laid out as expected")
        fp = self.child(FILE_PROPERTIES)
        self.packet_size = struct.unpack_from("<I", self.data, fp + 92)[0]
        self.first_packet = self.header_size + 50
        self.packet_count = struct.unpack_from("<Q", self.data, self.header_size + 40)[0]

    def child(self, object_guid, nth=0):
        found = [off for g, off, _ in self.children if g == object_guid]
        return found[nth]

    def child_size(self, object_guid):
        return next(size for g, off, size in self.children if g == object_guid)

    def packet_offset(self, index):
        return self.first_packet + index * self.packet_size

    def packet_fields(self, index):
        """Offsets of the parsing fields of one packet (only error correction 0x82 + 2)."""
        p = self.packet_offset(index)
        d = self.data
        if d[p] != 0x82:
            raise ValueError("packet %d: unexpected error correction byte" % index)
        f = {"start": p, "flags_at": p + 3, "ltf": d[p + 3], "pf": d[p + 4]}
        ltf = f["ltf"]
        pos = p + 5
        f["packet_length_type"] = (ltf >> 5) & 3
        pos += VAR_WIDTH[f["packet_length_type"]]
        pos += VAR_WIDTH[(ltf >> 1) & 3]  # sequence
        f["padding_type"] = (ltf >> 3) & 3
        f["padding_at"] = pos
        width = VAR_WIDTH[f["padding_type"]]
        f["padding"] = int.from_bytes(d[pos:pos + width], "little")
        pos += width + 6  # send time, duration
        f["multiple"] = bool(ltf & 1)
        if f["multiple"]:
            f["payload_flags"] = d[pos]
            pos += 1
        f["first_payload"] = pos
        return f

    def payloads(self, index):
        """Field offsets of each payload of a multiple-payload packet."""
        f = self.packet_fields(index)
        pf, d = f["pf"], self.data
        length_width = VAR_WIDTH[(f["payload_flags"] >> 6) & 3]
        pos = f["first_payload"]
        for _ in range(f["payload_flags"] & 0x3F):
            p = {"stream_at": pos}
            pos += 1
            pos += VAR_WIDTH[(pf >> 4) & 3]  # media object number
            width = VAR_WIDTH[(pf >> 2) & 3]
            p["offset"] = int.from_bytes(d[pos:pos + width], "little")
            pos += width
            width = VAR_WIDTH[pf & 3]
            p["replicated_length"] = int.from_bytes(d[pos:pos + width], "little")
            p["replicated_at"] = pos + width
            pos += width + p["replicated_length"]
            p["length_at"], p["length_width"] = pos, length_width
            pos += length_width + int.from_bytes(d[pos:pos + length_width], "little")
            yield p

    def middle_packet(self, wanted):
        """The first packet from the middle on for which wanted(fields) holds."""
        for index in range(self.packet_count // 2, self.packet_count):
            if wanted(self.packet_fields(index)):
                return index
        raise ValueError("no packet fits")


def put(buf, offset, fmt, value):
    struct.pack_into(fmt, buf, offset, value)
    return buf


def truncated_in_header(s):
    # Cut inside the Stream Properties of the audio stream.
    return s.data[:s.child(STREAM_PROPERTIES, 1) + 40]


def truncated_in_data_object_header(s):
    return s.data[:s.header_size + 30]


def truncated_mid_data(s):
    middle = s.packet_count // 2
    return s.data[:s.packet_offset(middle) + s.packet_size // 2]


def truncated_at_packet_boundary(s):
    return s.data[:s.packet_offset(s.packet_count // 2)]


def header_size_beyond_file(s):
    return put(bytearray(s.data), 16, "<Q", len(s.data) + 100000)


def header_object_count_millions(s):
    return put(bytearray(s.data), 24, "<I", 5000000)


def zero_size_header_child(s):
    return put(bytearray(s.data), s.child(CONTENT_DESCRIPTION) + 16, "<Q", 0)


def child_size_beyond_header(s):
    # The last child (Codec List) claims to run 100 bytes into the Data object.
    offset = s.child(CODEC_LIST)
    return put(bytearray(s.data), offset + 16, "<Q", s.child_size(CODEC_LIST) + 100)


def header_extension_size_beyond_object(s):
    # Header Extension Data Size larger than the object that holds it.
    return put(bytearray(s.data), s.child(HEADER_EXTENSION) + 42, "<I", 0xFFFF)


def type_data_beyond_stream_properties(s):
    # Type-Specific Data Length of the audio stream far beyond its object.
    return put(bytearray(s.data), s.child(STREAM_PROPERTIES, 1) + 64, "<I", 0x100000)


def ecd_count_millions(s):
    # The WORD count at its largest, with room for three descriptors only.
    return put(bytearray(s.data), s.child(EXTENDED_CONTENT_DESCRIPTION) + 24, "<H", 0xFFFF)


def marker_count_millions(s):
    return put(bytearray(s.data), s.child(MARKER) + 40, "<I", 5000000)


def stream_number_zero(s):
    # The video stream's number (low 7 bits of Flags) set to 0.
    offset = s.child(STREAM_PROPERTIES, 0) + 72
    flags = struct.unpack_from("<H", s.data, offset)[0]
    return put(bytearray(s.data), offset, "<H", flags & ~0x7F)


def packet_size_one(s):
    # Minimum and Maximum Data Packet Size both 1: no packet header fits.
    out = bytearray(s.data)
    fp = s.child(FILE_PROPERTIES)
    put(out, fp + 92, "<I", 1)
    return put(out, fp + 96, "<I", 1)


def packet_length_beyond_packet(s):
    # Gives one padded packet a WORD Packet Length field of 0xFFFF: the two bytes it needs are
    # taken from its padding, so every other byte keeps its meaning and the packet keeps its size.
    index = s.middle_packet(lambda f: f["padding_type"] == 1 and f["padding"] >= 2
                            and f["packet_length_type"] == 0)
    f = s.packet_fields(index)
    start, end = f["start"], f["start"] + s.packet_size
    packet = bytearray(s.data[start:end])
    packet[3] |= 2 << 5
    at = f["padding_at"] - start
    packet[at] -= 2
    packet[5:5] = struct.pack("<H", 0xFFFF)
    del packet[-2:]
    return s.data[:start] + bytes(packet) + s.data[end:]


def payload_length_beyond_packet(s):
    index = s.middle_packet(lambda f: f["multiple"])
    first = next(s.payloads(index))
    if first["length_width"] != 2:
        raise ValueError("expected a WORD payload length")
    return put(bytearray(s.data), first["length_at"], "<H", 0xFFFF)


def media_object_size_huge(s):
    # The payload that starts a media object claims an object of almost 4 GiB; the payload
    # itself fits its packet.
    index = s.middle_packet(lambda f: f["multiple"])
    start = next(p for p in s.payloads(index) if p["offset"] == 0 and p["replicated_length"] >= 8)
    return put(bytearray(s.data), start["replicated_at"], "<I", 0xFFFFFFF0)


def scrambled_packets(s):
    rng = random.Random(20261208)
    out = bytearray(s.data)
    for index in (10, s.packet_count // 2, s.packet_count - 5):
        start = s.packet_offset(index)
        out[start:start + s.packet_size] = rng.randbytes(s.packet_size)
    return out


def not_asf(s):
    return random.Random(4242).randbytes(8192)


def empty(s):
    return b""


# (file name, builder, expected outcome); the outcome goes to expected.tsv.
DAMAGES = [
    ("empty.wmv", empty, "refused"),
    ("not_asf.wmv", not_asf, "refused"),
    ("truncated_in_header.wmv", truncated_in_header, "refused"),
    ("truncated_in_data_object_header.wmv", truncated_in_data_object_header, "refused"),
    ("header_size_beyond_file.wmv", header_size_beyond_file, "refused"),
    ("header_object_count_millions.wmv", header_object_count_millions, "refused"),
    ("zero_size_header_child.wmv", zero_size_header_child, "refused"),
    ("child_size_beyond_header.wmv", child_size_beyond_header, "refused"),
    ("header_extension_size_beyond_object.wmv", header_extension_size_beyond_object, "refused"),
    ("type_data_beyond_stream_properties.wmv", type_data_beyond_stream_properties, "refused"),
    ("ecd_count_millions.wmv", ecd_count_millions, "refused"),
    ("marker_count_millions.wmv", marker_count_millions, "refused"),
    ("stream_number_zero.wmv", stream_number_zero, "refused"),
    ("packet_size_one.wmv", packet_size_one, "refused"),
    ("truncated_mid_data.wmv", truncated_mid_data, "damaged_read"),
    ("truncated_at_packet_boundary.wmv", truncated_at_packet_boundary, "damaged_read"),
    ("packet_length_beyond_packet.wmv", packet_length_beyond_packet, "damaged_read"),
    ("payload_length_beyond_packet.wmv", payload_length_beyond_packet, "damaged_read"),
    ("media_object_size_huge.wmv", media_object_size_huge, "damaged_read"),
    ("scrambled_packets.wmv", scrambled_packets, "damaged_read"),
]


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    source = argv[1] if len(argv) > 1 else os.path.join(here, "..", "data", "av_wmv2_wma2_meta.wmv")
    outdir = argv[2] if len(argv) > 2 else here
    with open(source, "rb") as f:
        sample = Sample(f.read())
    os.makedirs(outdir, exist_ok=True)
    for name, build, _ in DAMAGES:
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(build(sample))
    with open(os.path.join(outdir, "expected.tsv"), "w") as f:
        for name, _, outcome in DAMAGES:
            f.write("%s\t%s\n" % (name, outcome))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
