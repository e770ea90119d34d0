#!/usr/bin/env python3
"""Rewrites an ASF file's media objects the way Windows' own media runtime packages them.

Usage: winmedia_packager.py SOURCE OUT [switches]
  --spread SPAN:LAYOUT  audio spread over SPAN virtual packets; LAYOUT "block" keeps one codec
                        block per object, "merged" puts SPAN blocks in one object (a tail of
                        fewer blocks is left out)
  --cut-object          (with --spread) the third audio object loses its last chunk: damage
  --compressed          runs of small objects with a steady time step in compressed payloads
  --extensions          Sample Duration, Pixel Aspect Ratio (video) and File Name (variable
                        size) payload extension systems, their data in the replicated data
  --ecc                 error correction data at the start of every packet
  --index               the Index object, with Index Parameters in the header
  --mbr                 a second video stream (the first one's objects) under Bitrate Mutual
                        Exclusion
  --headers             Stream Bitrate Properties, Codec List, Metadata, Metadata Library with
                        an attached picture, Language List, Compatibility, Content Branding and
                        padding

Media objects are read with the tests' independent dump reader (dump_asf.py); the header's
other objects are kept byte for byte. Nothing here comes from the runtime under test.
"""
import argparse
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import dump_asf  # noqa: E402

G = dump_asf.NAME_TO_GUID


def obj(name, body):
    return G[name] + struct.pack("<Q", 24 + len(body)) + body


def wstr(text):
    return (text + "\0").encode("utf-16-le")


class Source:
    """The header's objects (GUID, body), its streams and the media objects in file order."""

    def __init__(self, path):
        data = open(path, "rb").read()
        size = struct.unpack_from("<Q", data, 16)[0]
        self.objects, pos = [], 30
        while pos < size:
            n = struct.unpack_from("<Q", data, pos + 16)[0]
            self.objects.append((data[pos:pos + 16], bytearray(data[pos + 24:pos + n])))
            pos += n
        fp = self.body("File Properties")
        self.file_id = bytes(fp[:16])
        self.preroll = struct.unpack_from("<Q", fp, 56)[0]
        self.packet_size = struct.unpack_from("<I", fp, 72)[0]
        self.streams = {}  # number -> (kind, Stream Properties body)
        for guid, body in self.objects:
            if guid == G["Stream Properties"]:
                kind = {G["Audio Media"]: "audio", G["Video Media"]: "video"}.get(bytes(body[:16]))
                self.streams[struct.unpack_from("<H", body, 48)[0] & 0x7F] = (kind, body)
        first, packets = size + 50, struct.unpack_from("<Q", data, size + 40)[0]
        self.media, partial = [], {}  # [stream, pres ms, key, bytes]
        for i in range(packets):
            at = first + i * self.packet_size
            _, payloads = dump_asf.parse_packet(data[at:at + self.packet_size], self.packet_size)
            for p in payloads:
                if p.sub is not None:
                    self.media += [[p.stream, t, p.key, s] for t, s in zip(p.sub_times(), p.sub)]
                    continue
                got = partial.setdefault(p.stream, [p.stream, p.pres_ms, p.key, b""])
                got[3] += p.data
                if len(got[3]) >= p.obj_size:
                    self.media.append(partial.pop(p.stream))

    def body(self, name):
        return next(b for g, b in self.objects if g == G[name])

    def nominal_rates(self):
        """The encoders' rates, as the encoder declares them: the audio format's bytes per second,
        the rest of the file's maximum bit rate shared among the video streams."""
        rates = {n: 8 * struct.unpack_from("<I", b, 54 + 8)[0] for n, (k, b) in
                 self.streams.items() if k == "audio"}
        video = [n for n in self.streams if n not in rates]
        total = struct.unpack_from("<I", self.body("File Properties"), 76)[0]
        rates.update({n: max(0, total - sum(rates.values())) // len(video) for n in video})
        return rates

    def block_align(self, number):
        return struct.unpack_from("<H", self.streams[number][1], 54 + 12)[0]


def spread(src, span, layout, cut=False):
    """Scrambles every audio object; returns the error correction data for the streams."""
    ecd = {}
    for number, (kind, _) in src.streams.items():
        if kind != "audio":
            continue
        block = src.block_align(number)
        per = 1 if layout == "block" else span
        packet = block * per // span
        chunk = packet // 2 if layout == "block" else packet // 4
        if (block * per) % span or not chunk or packet % chunk or packet // chunk < 2:
            raise SystemExit("block of %d bytes cannot spread over %d" % (block, span))
        ecd[number] = struct.pack("<BHHHB", span, packet, chunk, 1, 0)
        mine = [m for m in src.media if m[0] == number]
        if any(len(m[3]) != block for m in mine):
            raise SystemExit("stream %d: objects are not single codec blocks" % number)
        groups = [mine[i:i + per] for i in range(0, len(mine) - per + 1, per)]
        keep = {id(g[0]) for g in groups}
        for i, g in enumerate(groups):
            plain = b"".join(m[3] for m in g)
            stored = [b""] * (len(plain) // chunk)
            for k in range(len(stored)):  # plain chunk k goes to row k mod span, column k / span
                at = (k % span) * (packet // chunk) + k // span
                stored[at] = plain[k * chunk:(k + 1) * chunk]
            g[0][3] = b"".join(stored[:-1] if cut and i == 2 else stored)
        src.media = [m for m in src.media if m[0] != number or id(m) in keep]
    return ecd


def extension_data(src, m, duration):
    """Replicated data after size and time: Sample Duration, Pixel Aspect Ratio, File Name."""
    data = struct.pack("<H", max(0, min(duration, 0xFFFF)))
    if src.streams[m[0]][0] == "video":
        data += b"\x01\x01"
    name = ("part%d.bin" % m[1]).encode("utf-16-le")
    return data + struct.pack("<H", len(name)) + name


def extended_stream_properties(src, number, bitrate):
    systems = [("Sample Duration", 2)]
    if src.streams[number][0] == "video":
        systems.append(("Pixel Aspect Ratio", 2))
    systems.append(("File Name", 0xFFFF))
    body = struct.pack("<QQIIIIIIIIHHQHH", 0, 0, bitrate, src.preroll, src.preroll, bitrate,
                       src.preroll, src.preroll, 0, 2, number, 0, 0, 0, len(systems))
    for name, size in systems:
        body += G["PES " + name] + struct.pack("<HI", size, 0)
    return obj("Extended Stream Properties", body)


def units(src, compressed):
    """The objects in file order as payloads: (objects, step) for a run of small objects one
    step apart in a compressed payload, (object, None) else."""
    runs, last = [], {}
    for m in src.media:
        run = last.get(m[0])
        if compressed and run and continues(run, m):
            run.append(m)
        else:
            last[m[0]] = [m]
            runs.append(last[m[0]])
    return [(run, run[1][1] - run[0][1] if len(run) > 1 else None) for run in runs]


def continues(run, m):
    step = m[1] - run[-1][1]
    return len(run) < 32 and max(len(run[0][3]), len(m[3])) < 256 and m[2] == run[0][2] and \
        0 < step < 256 and (len(run) == 1 or step == run[1][1] - run[0][1])


class PacketWriter:
    def __init__(self, size, ecc, preroll):
        self.size, self.ecc, self.preroll = size, ecc, preroll
        self.packets, self.payloads, self.send = [], [], 0
        self.starts = []  # (stream, pres, key, packet index) of every object's first byte

    def head(self):
        return (3 if self.ecc else 0) + 1 + 1 + 2 + 4 + 2 + 1

    def free(self):
        return self.size - self.head() - sum(len(p) for p in self.payloads)

    def flush(self):
        if not self.payloads:
            return
        body = b"".join(self.payloads)
        pad = self.size - self.head() - len(body)
        head = (b"\x82\x00\x00" if self.ecc else b"") + struct.pack(
            "<BBHIHB", 0x11, 0x5D, pad, self.send, 0, 0x80 | len(self.payloads))
        self.packets.append(head + body + bytes(pad))
        self.payloads = []

    def add(self, stream, number, pres, key, parts, step, replicated):
        self.send = max(self.send, pres - min(pres, self.preroll))
        flag = stream | (0x80 if key else 0)
        if step is not None:  # compressed: whole, in one payload
            body = b"".join(bytes([len(p)]) + p for p in parts)
            if self.free() < 10 + len(body) or len(self.payloads) == 63:
                self.flush()
            self.starts.append((stream, pres, key, len(self.packets)))
            self.payloads.append(struct.pack("<BBIBBH", flag, number, pres, 1, step, len(body))
                                 + body)
            return
        data, offset = parts[0], 0
        rep = struct.pack("<II", len(data), pres) + replicated
        while offset < len(data):
            room = self.free() - (9 + len(rep))
            if room < 1 or len(self.payloads) == 63:
                self.flush()
                continue
            if offset == 0:
                self.starts.append((stream, pres, key, len(self.packets)))
            piece = data[offset:offset + room]
            self.payloads.append(struct.pack("<BBIB", flag, number, offset, len(rep)) + rep
                                 + struct.pack("<H", len(piece)) + piece)
            offset += len(piece)


def index_object(src, starts, interval_ms=1000):
    numbers = sorted(src.streams)
    last = max(s[1] for s in starts) - src.preroll
    count = last // interval_ms + 1
    body = struct.pack("<IHI", interval_ms, len(numbers), 1)
    body += b"".join(struct.pack("<HH", n, 3 if src.streams[n][0] == "video" else 1)
                     for n in numbers)
    body += struct.pack("<I", count) + struct.pack("<Q", 0) * len(numbers)
    for i in range(count):
        for n in numbers:
            due = [s for s in starts if s[0] == n and s[1] - src.preroll <= i * interval_ms
                   and (s[2] or src.streams[n][0] != "video")] or \
                  [s for s in starts if s[0] == n][:1]
            body += struct.pack("<I", due[-1][3] * src.packet_size if due else 0xFFFFFFFF)
    params = struct.pack("<IH", interval_ms, len(numbers)) + b"".join(
        struct.pack("<HH", n, 3 if src.streams[n][0] == "video" else 1) for n in numbers)
    return obj("Index", body), obj("Index Parameters", params)


def picture():
    """A 1x1 PNG as a WM/Picture value: type, MIME, description, bytes."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0)) \
        + chunk(b"IDAT", zlib.compress(b"\x00\xff\x80\x00")) + chunk(b"IEND", b"")
    return bytes([3]) + struct.pack("<I", len(png)) + wstr("image/png") + wstr("") + png


def attribute(name, dtype, value, stream=0, language=0):
    name = wstr(name)
    return struct.pack("<HHHHI", language, stream, len(name), dtype, len(value)) + name + value


def second_video(src):
    """Adds a stream carrying the first video stream's objects; its number."""
    first = min(n for n, s in src.streams.items() if s[0] == "video")
    extra = max(src.streams) + 1
    body = bytearray(src.streams[first][1])
    struct.pack_into("<H", body, 48, extra | (struct.unpack_from("<H", body, 48)[0] & ~0x7F))
    src.streams[extra] = ("video", body)
    src.media = [n for m in src.media for n in ([m, [extra] + m[1:]] if m[0] == first else [m])]
    return first, extra


def write_packets(src, args):
    writer = PacketWriter(src.packet_size, args.ecc, src.preroll)
    numbers, duration, following = {}, {}, {}
    for m in reversed(src.media):  # a sample lasts until the next of its stream
        duration[id(m)] = following[m[0]][1] - m[1] if m[0] in following else 0
        following[m[0]] = m
    for run, step in units(src, args.compressed):
        stream, pres, key = run[0][:3]
        rep = extension_data(src, run[0], duration[id(run[0])]) if args.extensions else b""
        writer.add(stream, numbers.get(stream, 0) & 0xFF, pres, key, [m[3] for m in run], step,
                   rep)
        numbers[stream] = numbers.get(stream, 0) + len(run)
    writer.flush()
    return writer


def source_objects(src, ecd, mbr):
    """The source's header objects, spread streams and the second video stream declared, and
    the children of its header extension."""
    top, ext = [], []
    for guid, body in src.objects:
        if guid == G["Header Extension"]:
            pos = 22
            while pos < len(body):
                n = struct.unpack_from("<Q", body, pos + 16)[0]
                ext.append(bytes(body[pos:pos + n]))
                pos += n
            continue
        number = struct.unpack_from("<H", body, 48)[0] & 0x7F \
            if guid == G["Stream Properties"] else None
        if number in ecd:
            tsl = struct.unpack_from("<I", body, 40)[0]
            body = G["Audio Media"] + G["Audio Spread"] + body[32:40] + struct.pack(
                "<II", tsl, len(ecd[number])) + body[48:54] + body[54:54 + tsl] + ecd[number]
        top.append(guid + struct.pack("<Q", 24 + len(body)) + bytes(body))
        if mbr and number == mbr[0]:
            top.append(obj("Stream Properties", bytes(src.streams[mbr[1]][1])))
    if mbr:
        top.append(obj("Bitrate Mutual Exclusion", G["Mutex Bitrate"] + struct.pack(
            "<HHH", 2, *mbr)))
    return top, ext


def windows_headers(src, top, ext, rates):
    """The header objects Windows' runtime writes that the source lacks."""
    names = {bytes(o[:16]) for o in top} | {bytes(e[:16]) for e in ext}
    if G["Stream Bitrate Properties"] not in names:
        top.append(obj("Stream Bitrate Properties", struct.pack("<H", len(src.streams)) +
                       b"".join(struct.pack("<HI", n, rates[n]) for n in sorted(src.streams))))
    if G["Codec List"] not in names:
        entries = [struct.pack("<HH", 1 if k == "video" else 2, 6) + wstr("Codec") +
                   struct.pack("<H", 1) + b"\x00\x00" + struct.pack("<H", 0)
                   for k, _ in src.streams.values()]
        top.append(obj("Codec List", bytes(16) + struct.pack("<I", len(entries)) +
                       b"".join(entries)))
    top.append(obj("Compatibility", b"\x02\x01"))
    top.append(obj("Content Branding", struct.pack("<III", 0, 0, 0) + struct.pack(
        "<I", 20) + b"http://example.org/\0"))
    ext.append(obj("Language List", struct.pack("<H", 1) + bytes([12]) + wstr("en-us")))
    if G["Metadata"] not in names:
        ext.append(obj("Metadata", struct.pack("<H", 1) + attribute(
            "DeviceConformanceTemplate", 0, wstr("L2"), stream=min(src.streams))))
    ext.append(obj("Metadata Library", struct.pack("<H", 2) +
                   attribute("WM/Picture", 1, picture()) +
                   attribute("WM/MediaClassPrimaryID", 6, G["Audio Media"])))
    ext.append(obj("Padding", bytes(512)))


def package(src, args):
    ecd = spread(src, *args.spread, args.cut_object) if args.spread else {}
    mbr = second_video(src) if args.mbr else None
    rates = src.nominal_rates()
    writer = write_packets(src, args)
    top, ext = source_objects(src, ecd, mbr)
    if args.extensions:
        ext += [extended_stream_properties(src, n, rates[n]) for n in sorted(src.streams)]
    index = None
    if args.index:
        index, params = index_object(src, writer.starts)
        ext.append(params)
    if args.headers:
        windows_headers(src, top, ext, rates)
    ext_body = b"".join(ext)
    top.append(obj("Header Extension", G["Reserved 1"] + struct.pack("<HI", 6, len(ext_body)) +
                   ext_body))

    packets = writer.packets
    data = obj("Data", src.file_id + struct.pack("<QH", len(packets), 0x0101) + b"".join(packets))
    header_len = 30 + sum(len(o) for o in top)
    total = header_len + len(data) + (len(index) if index else 0)
    for i, o in enumerate(top):
        if o[:16] == G["File Properties"]:
            fp = bytearray(o)
            struct.pack_into("<Q", fp, 24 + 16, total)
            struct.pack_into("<Q", fp, 24 + 32, len(packets))
            top[i] = bytes(fp)
    header = G["Header"] + struct.pack("<QIBB", header_len, len(top), 1, 2)
    return header + b"".join(top) + data + (index or b"")


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("source")
    p.add_argument("out")
    p.add_argument("--spread", type=lambda t: (int(t.split(":")[0]), t.split(":")[1]))
    for switch in ("cut-object", "compressed", "extensions", "ecc", "index", "mbr", "headers"):
        p.add_argument("--" + switch, action="store_true")
    args = p.parse_args(argv)
    src = Source(args.source)
    out = package(src, args)
    with open(args.out, "wb") as f:
        f.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
