#!/usr/bin/env python3
"""Walk the objects of an ASF (.asf/.wmv/.wma) file and print what is in them.

Written from the public ASF object and field tables; it shares no code with the runtime.

Usage:
    dump_asf.py FILE [--packets N] [--payloads N] [--no-scan]

  --packets N   print the first N data packets in detail (default 3)
  --payloads N  print at most N payload lines per detailed packet (default 8)
  --no-scan     do not walk every packet (skips reassembly / index checks)

Besides printing, the script checks a set of invariants (sizes, counts,
packet layout, media-object reassembly, Simple Index entries) and prints a
CHECK line for each; the exit status is 1 if any check failed.
"""
import argparse
import struct
import sys
import uuid

# ---------------------------------------------------------------- GUIDs ----
# canonical text form -> name.  On disk a GUID is Data1 (LE u32), Data2 (LE
# u16), Data3 (LE u16), Data4 (8 bytes as written); uuid.UUID(bytes_le=...)
# performs exactly that conversion.
GUID_NAMES = {
    # top level
    "75B22630-668E-11CF-A6D9-00AA0062CE6C": "Header",
    "75B22636-668E-11CF-A6D9-00AA0062CE6C": "Data",
    "33000890-E5B1-11CF-89F4-00A0C90349CB": "Simple Index",
    "D6E229D3-35DA-11D1-9034-00A0C90349BE": "Index",
    "FEB103F8-12AD-4C64-840F-2A1D2F7AD48C": "Media Object Index",
    "3CB73FD0-0C4A-4803-953D-EDF7B6228F0C": "Timecode Index",
    # header objects
    "8CABDCA1-A947-11CF-8EE4-00C00C205365": "File Properties",
    "B7DC0791-A9B7-11CF-8EE6-00C00C205365": "Stream Properties",
    "5FBF03B5-A92E-11CF-8EE3-00C00C205365": "Header Extension",
    "86D15240-311D-11D0-A3A4-00A0C90348F6": "Codec List",
    "1EFB1A30-0B62-11D0-A39B-00A0C90348F6": "Script Command",
    "F487CD01-A951-11CF-8EE6-00C00C205365": "Marker",
    "D6E229DC-35DA-11D1-9034-00A0C90349BE": "Bitrate Mutual Exclusion",
    "75B22635-668E-11CF-A6D9-00AA0062CE6C": "Error Correction",
    "75B22633-668E-11CF-A6D9-00AA0062CE6C": "Content Description",
    "D2D0A440-E307-11D2-97F0-00A0C95EA850": "Extended Content Description",
    "2211B3FA-BD23-11D2-B4B7-00A0C955FC6E": "Content Branding",
    "7BF875CE-468D-11D1-8D82-006097C9A2B2": "Stream Bitrate Properties",
    "2211B3FB-BD23-11D2-B4B7-00A0C955FC6E": "Content Encryption",
    "298AE614-2622-4C17-B935-DAE07EE9289C": "Extended Content Encryption",
    "2211B3FC-BD23-11D2-B4B7-00A0C955FC6E": "Digital Signature",
    "1806D474-CADF-4509-A4BA-9AABCB96AAE8": "Padding",
    # header extension objects
    "14E6A5CB-C672-4332-8399-A96952065B5A": "Extended Stream Properties",
    "A08649CF-4775-4670-8A16-6E35357566CD": "Advanced Mutual Exclusion",
    "D1465A40-5A79-4338-B71B-E36B8FD6C249": "Group Mutual Exclusion",
    "D4FED15B-88D3-454F-81F0-ED5C45999E24": "Stream Prioritization",
    "A69609E6-517B-11D2-B6AF-00C04FD908E9": "Bandwidth Sharing",
    "7C4346A9-EFE0-4BFC-B229-393EDE415C85": "Language List",
    "C5F8CBEA-5BAF-4877-8467-AA8C44FA4CCA": "Metadata",
    "44231C94-9498-49D1-A141-1D134E457054": "Metadata Library",
    "D6E229DF-35DA-11D1-9034-00A0C90349BE": "Index Parameters",
    "6B203BAD-3F11-48E4-ACA8-D7613DE2CFA7": "Media Object Index Parameters",
    "F55E496D-9797-4B5D-8C8B-604DFE9BFB24": "Timecode Index Parameters",
    "26F18B5D-4584-47EC-9F5F-0E651F0452C9": "Compatibility",
    "43058533-6981-49E6-9B74-AD12CB86D58C": "Advanced Content Encryption",
    # stream types / error correction / misc
    "F8699E40-5B4D-11CF-A8FD-00805F5C442B": "Audio Media",
    "BC19EFC0-5B4D-11CF-A8FD-00805F5C442B": "Video Media",
    "59DACFC0-59E6-11D0-A3AC-00A0C90348F6": "Command Media",
    "B61BE100-5B4E-11CF-A8FD-00805F5C442B": "JFIF Media",
    "35907DE0-E415-11CF-A917-00805F5C442B": "Degradable JPEG Media",
    "91BD222C-F21C-497A-8B6D-5AA86BFC0185": "File Transfer Media",
    "3AFB65E2-47EF-40F2-AC2C-70A90D71D343": "Binary Media",
    "20FB5700-5B55-11CF-A8FD-00805F5C442B": "No Error Correction",
    "BFC3CD50-618F-11CF-8BB2-00AA00B4E220": "Audio Spread",
    "ABD3D211-A9BA-11CF-8EE6-00C00C205365": "Reserved 1",
    "86D15241-311D-11D0-A3A4-00A0C90348F6": "Reserved 2",
    "4B1ACBE3-100B-11D0-A39B-00A0C90348F6": "Reserved 3",
    "4CFEDB20-75F6-11CF-9C0F-00A0C90349CB": "Reserved 4",
    "D6E22A00-35DA-11D1-9034-00A0C90349BE": "Mutex Language",
    "D6E22A01-35DA-11D1-9034-00A0C90349BE": "Mutex Bitrate",
    "D6E22A02-35DA-11D1-9034-00A0C90349BE": "Mutex Unknown",
    "399595EC-8667-4E2D-8FDB-98814CE76C1E": "PES Timecode",
    "E165EC0E-19ED-45D7-B4A7-25CBD1E28E9B": "PES File Name",
    "D590DC20-07BC-436C-9CF7-F3BBFBF1A4DC": "PES Content Type",
    "1B1EE554-F9EA-4BC8-821A-376B74E4C4B8": "PES Pixel Aspect Ratio",
    "C6BD9450-867F-4907-83A3-C77921B733AD": "PES Sample Duration",
    "6698B84E-0AFA-4330-AEB2-1C0A98D7A44D": "PES Encryption Sample ID",
    "00E1AF06-7BEC-11D1-A582-00C04FC29CFB": "PES Degradable JPEG",
}

ATTR_TYPES = {0: "UNICODE", 1: "BYTES", 2: "BOOL", 3: "DWORD", 4: "QWORD",
              5: "WORD", 6: "GUID"}


def guid_text(raw):
    return str(uuid.UUID(bytes_le=bytes(raw))).upper()


def guid_bytes(text):
    return uuid.UUID(text).bytes_le


def guid_name(raw):
    t = guid_text(raw)
    return "%s {%s}" % (GUID_NAMES.get(t, "?"), t)


NAME_TO_GUID = {v: guid_bytes(k) for k, v in GUID_NAMES.items()}


# --------------------------------------------------------------- reader ----
class Cursor:
    """Little-endian reader over a bytes object; raises on overrun."""

    def __init__(self, data, pos=0, end=None):
        self.data = data
        self.pos = pos
        self.end = len(data) if end is None else end

    def take(self, n):
        if n < 0 or self.pos + n > self.end:
            raise ValueError("read of %d bytes at %d overruns end %d"
                             % (n, self.pos, self.end))
        b = self.data[self.pos:self.pos + n]
        self.pos += n
        return b

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def u64(self):
        return struct.unpack("<Q", self.take(8))[0]

    def guid(self):
        return self.take(16)

    def var(self, length_type):
        """Field whose width is given by a 2-bit length type (0,1,2,4 bytes)."""
        return (None, self.u8, self.u16, self.u32)[length_type]() \
            if length_type else 0

    def wstr(self, nbytes):
        return utf16(self.take(nbytes))

    def left(self):
        return self.end - self.pos


def utf16(raw):
    s = bytes(raw).decode("utf-16-le", errors="replace")
    return s[:-1] if s.endswith("\x00") else s


def attr_value(c, dtype, length, bool_width):
    """Decode one attribute value; bool_width is 4 (ECD) or 2 (Metadata*)."""
    start = c.pos
    if dtype == 0:
        v = repr(c.wstr(length))
    elif dtype == 1:
        raw = c.take(length)
        v = "bytes[%d] %s%s" % (length, raw[:16].hex(), "..." if length > 16 else "")
    elif dtype == 2:
        if length != bool_width:
            v = "BOOL with unexpected length %d" % length
            c.take(length)
        else:
            v = str(bool(c.u32() if bool_width == 4 else c.u16()))
    elif dtype == 3:
        v = str(c.u32()) if length == 4 else "DWORD len %d!" % length
    elif dtype == 4:
        v = str(c.u64()) if length == 8 else "QWORD len %d!" % length
    elif dtype == 5:
        v = str(c.u16()) if length == 2 else "WORD len %d!" % length
    elif dtype == 6:
        v = guid_name(c.guid()) if length == 16 else "GUID len %d!" % length
    else:
        c.take(length)
        v = "unknown type %d" % dtype
    c.pos = start + length            # trust the declared length
    return v


# ------------------------------------------------------------- checking ----
class Report:
    def __init__(self):
        self.failures = 0

    def out(self, depth, text):
        print("  " * depth + text)

    def check(self, ok, what):
        print("CHECK %s: %s" % ("ok  " if ok else "FAIL", what))
        if not ok:
            self.failures += 1


# -------------------------------------------------------- header objects ----
class State:
    """What later parts of the walk need from the header."""

    def __init__(self):
        self.preroll_ms = 0
        self.play_duration = 0
        self.send_duration = 0
        self.flags = 0
        self.min_packet = self.max_packet = 0
        self.packets_count = 0
        self.file_size_field = 0
        self.file_id = None
        self.streams = {}        # number -> dict(kind=..., ...)
        self.pes = {}            # number -> [extension data sizes]
        self.data_offset = None  # offset of first packet
        self.data_packets = None


def decode_wave(c, length, r, d):
    end = c.pos + length
    tag, ch, rate, avg, align, bits = struct.unpack("<HHIIHH", c.take(16))
    r.out(d, "WAVEFORMATEX: wFormatTag=0x%04X nChannels=%d nSamplesPerSec=%d "
             "nAvgBytesPerSec=%d nBlockAlign=%d wBitsPerSample=%d"
          % (tag, ch, rate, avg, align, bits))
    cb = c.u16() if c.pos + 2 <= end else 0
    extra = c.take(min(cb, end - c.pos))
    r.out(d, "cbSize=%d extra=%s" % (cb, extra.hex()))
    c.pos = end
    return dict(kind="audio", tag=tag, channels=ch, rate=rate,
                avg_bytes=avg, block_align=align, bits=bits, cb=cb)


def decode_video(c, length, r, d):
    end = c.pos + length
    w, h, rflags, fds = struct.unpack("<IIBH", c.take(11))
    r.out(d, "Encoded Image Width=%d Height=%d Reserved Flags=%d "
             "Format Data Size=%d" % (w, h, rflags, fds))
    bi = struct.unpack("<IiiHHIIiiII", c.take(40))
    fourcc = struct.pack("<I", bi[5])
    r.out(d, "BITMAPINFOHEADER: biSize=%d biWidth=%d biHeight=%d biPlanes=%d "
             "biBitCount=%d biCompression=%r biSizeImage=%d biXPels=%d "
             "biYPels=%d biClrUsed=%d biClrImportant=%d"
          % (bi[0], bi[1], bi[2], bi[3], bi[4], fourcc, bi[6], bi[7], bi[8],
             bi[9], bi[10]))
    extra = c.take(end - c.pos)
    r.out(d, "codec-specific data (%d bytes): %s" % (len(extra), extra.hex()))
    return dict(kind="video", width=w, height=h, fds=fds, bisize=bi[0],
                fourcc=fourcc, extra_len=len(extra))


def parse_stream_properties(c, end, st, r, d):
    stype = c.guid()
    ectype = c.guid()
    toff = c.u64()
    tsl = c.u32()
    ecl = c.u32()
    flags = c.u16()
    reserved = c.u32()
    num = flags & 0x7F
    name = GUID_NAMES.get(guid_text(stype), "?")
    r.out(d, "Stream Type=%s" % guid_name(stype))
    r.out(d, "Error Correction Type=%s" % guid_name(ectype))
    r.out(d, "Time Offset=%d Type-Specific Data Length=%d Error Correction "
             "Data Length=%d Flags=0x%04X (stream %d, encrypted=%d) Reserved=%d"
          % (toff, tsl, ecl, flags, num, flags >> 15, reserved))
    r.check(1 <= num <= 127, "stream number %d is within 1..127" % num)
    if name == "Audio Media":
        info = decode_wave(c, tsl, r, d + 1)
    elif name == "Video Media":
        info = decode_video(c, tsl, r, d + 1)
    else:
        c.take(tsl)
        info = dict(kind=name)
    ecd = c.take(ecl)
    if name == "Audio Media" and ecl >= 7 and \
            GUID_NAMES.get(guid_text(ectype)) == "Audio Spread":
        span, vpl, vcl, sdl = struct.unpack("<BHHH", ecd[:7])
        r.out(d + 1, "Audio Spread: Span=%d Virtual Packet Length=%d Virtual "
                     "Chunk Length=%d Silence Data Length=%d silence=%s"
              % (span, vpl, vcl, sdl, ecd[7:7 + sdl].hex()))
    elif ecl:
        r.out(d + 1, "error correction data: %s" % ecd.hex())
    info.update(encrypted=bool(flags & 0x8000), ectype=name)
    st.streams[num] = info
    return num


def parse_ext_stream_properties(c, end, st, r, d, rep):
    f = struct.unpack("<QQIIIIIIIIHHQHH", c.take(64))
    (start, stop, rate, bsize, bfull, arate, absize, abfull, maxobj, flags,
     num, lang, atpf, names, pes_count) = f
    r.out(d, "Start Time=%d End Time=%d Data Bitrate=%d Buffer Size=%d "
             "Initial Buffer Fullness=%d" % (start, stop, rate, bsize, bfull))
    r.out(d, "Alternate Data Bitrate=%d Alternate Buffer Size=%d Alternate "
             "Initial Buffer Fullness=%d Maximum Object Size=%d"
          % (arate, absize, abfull, maxobj))
    r.out(d, "Flags=0x%08X (reliable=%d seekable=%d no_cleanpoints=%d "
             "resend_live_cleanpoints=%d) Stream Number=%d Language Index=%d "
             "Average Time Per Frame=%d" % (flags, flags & 1, flags >> 1 & 1,
                                            flags >> 2 & 1, flags >> 3 & 1,
                                            num, lang, atpf))
    for _ in range(names):
        li = c.u16()
        ln = c.u16()
        r.out(d + 1, "Stream Name (lang %d): %r" % (li, c.wstr(ln)))
    sizes = []
    for _ in range(pes_count):
        g = c.guid()
        size = c.u16()
        info_len = c.u32()
        info = c.take(info_len)
        sizes.append(size)
        r.out(d + 1, "Payload Extension System %s data size=%d info=%s"
              % (guid_name(g), size, info.hex()))
    st.pes[num] = sizes
    if c.pos < end:
        g = c.guid()
        size = c.u64()
        r.out(d + 1, "embedded %s size=%d" % (guid_name(g), size))
        if g == NAME_TO_GUID["Stream Properties"]:
            parse_stream_properties(c, c.pos - 24 + size, st, r, d + 2)
    st.streams.setdefault(num, {}).update(esp_rate=rate, esp_buffer=bsize,
                                          esp_atpf=atpf, esp_maxobj=maxobj)


def parse_attr_records(c, r, d, library):
    count = c.u16()
    r.out(d, "Description Records Count=%d" % count)
    for _ in range(count):
        lang, stream, name_len, dtype, dlen = struct.unpack("<HHHHI", c.take(12))
        name = c.wstr(name_len)
        val = attr_value(c, dtype, dlen, 2)
        r.out(d + 1, "%s=%r stream=%d %s=%d %s len=%d: %s" % (
            "record", name, stream, "lang" if library else "reserved", lang,
            ATTR_TYPES.get(dtype, dtype), dlen, val))


def parse_header_child(data, pos, st, r, d, rep):
    """Parse one object at pos inside the Header or Header Extension."""
    c = Cursor(data, pos)
    g = c.guid()
    size = c.u64()
    end = pos + size
    name = GUID_NAMES.get(guid_text(g), "?")
    r.out(d, "@%d %s size=%d" % (pos, guid_name(g), size))
    if size < 24 or end > len(data):
        rep.check(False, "object at %d has a sane size" % pos)
        return len(data)
    c.end = end
    dd = d + 1
    if name == "File Properties":
        st.file_id = c.guid()
        (st.file_size_field, created, st.packets_count, st.play_duration,
         st.send_duration, st.preroll_ms, st.flags, st.min_packet,
         st.max_packet, maxbr) = struct.unpack("<QQQQQQIIII", c.take(64))
        r.out(dd, "File ID=%s" % guid_text(st.file_id))
        r.out(dd, "File Size=%d Creation Date=%d Data Packets Count=%d"
              % (st.file_size_field, created, st.packets_count))
        r.out(dd, "Play Duration=%d Send Duration=%d Preroll=%d ms"
              % (st.play_duration, st.send_duration, st.preroll_ms))
        r.out(dd, "Flags=0x%08X (broadcast=%d seekable=%d) Min Packet=%d "
                  "Max Packet=%d Max Bitrate=%d"
              % (st.flags, st.flags & 1, st.flags >> 1 & 1, st.min_packet,
                 st.max_packet, maxbr))
        rep.check(size == 104, "File Properties object size is 104")
        rep.check(st.min_packet == st.max_packet,
                  "Minimum == Maximum Data Packet Size")
    elif name == "Stream Properties":
        parse_stream_properties(c, end, st, r, dd)
    elif name == "Header Extension":
        res1 = c.guid()
        res2 = c.u16()
        dsize = c.u32()
        r.out(dd, "Reserved Field 1=%s Reserved Field 2=%d Data Size=%d"
              % (guid_name(res1), res2, dsize))
        rep.check(res1 == NAME_TO_GUID["Reserved 1"] and res2 == 6,
                  "Header Extension reserved fields are ASF_Reserved_1 / 6")
        rep.check(dsize == size - 46, "Header Extension data size == size - 46")
        p = c.pos
        while p < end:
            p = parse_header_child(data, p, st, r, dd, rep)
        rep.check(p == end, "Header Extension children fill it exactly")
    elif name == "Extended Stream Properties":
        parse_ext_stream_properties(c, end, st, r, dd, rep)
    elif name == "Content Description":
        lens = struct.unpack("<5H", c.take(10))
        for label, n in zip(("Title", "Author", "Copyright", "Description",
                             "Rating"), lens):
            raw = c.take(n)
            r.out(dd, "%s (len %d) = %r%s" % (
                label, n, utf16(raw),
                " [NUL-terminated]" if raw[-2:] == b"\0\0" else ""))
    elif name == "Extended Content Description":
        count = c.u16()
        r.out(dd, "Content Descriptors Count=%d" % count)
        for _ in range(count):
            name_len = c.u16()
            dname = c.wstr(name_len)
            dtype = c.u16()
            vlen = c.u16()
            r.out(dd + 1, "%r %s len=%d: %s" % (dname, ATTR_TYPES.get(dtype, dtype),
                                               vlen, attr_value(c, dtype, vlen, 4)))
    elif name in ("Metadata", "Metadata Library"):
        parse_attr_records(c, r, dd, name == "Metadata Library")
    elif name == "Language List":
        count = c.u16()
        for i in range(count):
            n = c.u8()
            r.out(dd, "language[%d] = %r" % (i, c.wstr(n)))
    elif name == "Stream Bitrate Properties":
        count = c.u16()
        for _ in range(count):
            fl = c.u16()
            br = c.u32()
            r.out(dd, "stream %d average bitrate %d" % (fl & 0x7F, br))
            st.streams.setdefault(fl & 0x7F, {})["sbp_rate"] = br
    elif name == "Codec List":
        r.out(dd, "Reserved=%s" % guid_name(c.guid()))
        count = c.u32()
        for _ in range(count):
            ctype = c.u16()
            n1 = c.u16()
            cname = c.wstr(2 * n1)
            n2 = c.u16()
            cdesc = c.wstr(2 * n2)
            n3 = c.u16()
            cinfo = c.take(n3)
            r.out(dd, "type=0x%04X name=%r desc=%r info=%s"
                  % (ctype, cname, cdesc, cinfo.hex()))
    elif name == "Marker":
        r.out(dd, "Reserved=%s" % guid_name(c.guid()))
        count = c.u32()
        res2 = c.u16()
        nlen = c.u16()
        r.out(dd, "Markers Count=%d Reserved=%d Name=%r" % (count, res2, c.wstr(nlen)))
        for _ in range(count):
            off, pt, elen, sendt, mflags, dlen = struct.unpack("<QQHIII", c.take(30))
            desc = c.take(2 * dlen)
            pad = elen - (12 + 2 * dlen)
            r.out(dd + 1, "Offset=%d Presentation Time=%d Entry Length=%d Send "
                          "Time=%d Flags=%d Description Length=%d chars %r"
                  % (off, pt, elen, sendt, mflags, dlen, utf16(desc)))
            rep.check(pad >= 0, "marker Entry Length >= 12 + 2*chars")
            c.take(max(pad, 0))
    elif name == "Script Command":
        r.out(dd, "Reserved=%s" % guid_name(c.guid()))
        ncmd = c.u16()
        ntypes = c.u16()
        types = [c.wstr(2 * c.u16()) for _ in range(ntypes)]
        r.out(dd, "command types: %r" % types)
        for _ in range(ncmd):
            pt = c.u32()
            ti = c.u16()
            r.out(dd + 1, "%d ms type %d %r" % (pt, ti, c.wstr(2 * c.u16())))
    elif name in ("Index Parameters", "Media Object Index Parameters",
                  "Timecode Index Parameters"):
        interval = c.u32()
        n = c.u16()
        specs = [struct.unpack("<HH", c.take(4)) for _ in range(n)]
        r.out(dd, "interval=%d specifiers (stream, type)=%r" % (interval, specs))
    elif name == "Compatibility":
        r.out(dd, "Profile=%d Mode=%d" % (c.u8(), c.u8()))
    elif name == "Stream Prioritization":
        n = c.u16()
        r.out(dd, "records (stream, flags)=%r"
              % [struct.unpack("<HH", c.take(4)) for _ in range(n)])
    elif name in ("Bitrate Mutual Exclusion", "Advanced Mutual Exclusion"):
        et = c.guid()
        n = c.u16()
        r.out(dd, "type=%s streams=%r" % (guid_name(et),
                                         [c.u16() for _ in range(n)]))
    elif name == "Content Encryption":
        secret = c.take(c.u32())
        ptype = c.take(c.u32())
        keyid = c.take(c.u32())
        url = c.take(c.u32())
        r.out(dd, "secret[%d] protection=%r key=%r url=%r"
              % (len(secret), ptype, keyid, url))
    elif name == "Extended Content Encryption":
        r.out(dd, "data[%d]" % len(c.take(c.u32())))
    elif name in ("Group Mutual Exclusion", "Bandwidth Sharing",
                  "Advanced Content Encryption", "Digital Signature",
                  "Content Branding", "Error Correction"):
        body = c.take(end - c.pos)
        r.out(dd, "not decoded; first bytes: %s" % body[:48].hex())
    elif name == "Padding":
        body = c.take(end - c.pos)
        r.out(dd, "%d padding bytes, all zero=%s" % (len(body), not any(body)))
    return end


def parse_header(data, r, rep):
    st = State()
    c = Cursor(data)
    g = c.guid()
    size = c.u64()
    count = c.u32()
    res1 = c.u8()
    res2 = c.u8()
    r.out(0, "@0 %s size=%d Number of Header Objects=%d Reserved1=%d Reserved2=%d"
          % (guid_name(g), size, count, res1, res2))
    rep.check(g == NAME_TO_GUID["Header"], "file starts with the Header GUID")
    rep.check((res1, res2) == (1, 2), "Header reserved bytes are 0x01 0x02")
    pos, n = 30, 0
    while pos < size:
        pos = parse_header_child(data, pos, st, r, 1, rep)
        n += 1
    rep.check(pos == size, "header children end exactly at Header size")
    rep.check(n == count, "Number of Header Objects (%d) == children found (%d)"
              % (count, n))
    return st, size


# ------------------------------------------------------------ packets -------
class Payload:
    __slots__ = ("stream", "key", "obj_no", "offset", "rep_len", "obj_size",
                 "pres_ms", "data", "sub", "delta")

    def sub_times(self):
        """Presentation times (ms) of the media objects in a compressed payload:
        the first is the Offset Into Media Object field, then +delta each."""
        return [self.offset + k * self.delta for k in range(len(self.sub))]

    def __repr__(self):
        if self.sub is not None:
            return ("stream=%d key=%d COMPRESSED obj#=%d pres=%d ms delta=%d "
                    "sub-payload sizes=%r" % (self.stream, self.key, self.obj_no,
                                              self.offset, self.delta,
                                              [len(s) for s in self.sub]))
        return ("stream=%d key=%d obj#=%d offset=%d rep_len=%d obj_size=%s "
                "pres=%s ms len=%d" % (self.stream, self.key, self.obj_no,
                                       self.offset, self.rep_len, self.obj_size,
                                       self.pres_ms, len(self.data)))


def parse_packet(pkt, packet_size):
    """Parse one data packet.  Returns (info dict, [Payload])."""
    c = Cursor(pkt)
    info = {}
    b = c.u8()
    if b & 0x80:                                   # error correction present
        ec_len_type = (b >> 5) & 3
        info["ec"] = "flags=0x%02X" % b
        if ec_len_type == 0:
            info["ec_data"] = c.take(b & 0x0F).hex()
        ltf = c.u8()
    else:
        ltf = b
    pf = c.u8()
    info["ltf"], info["pf"] = ltf, pf
    packet_len = c.var((ltf >> 5) & 3)
    info["sequence"] = c.var((ltf >> 1) & 3)
    padding = c.var((ltf >> 3) & 3)
    info["send_ms"] = c.u32()
    info["duration_ms"] = c.u16()
    if not (ltf >> 5) & 3:
        packet_len = packet_size
    info["packet_len"], info["padding"] = packet_len, padding
    rep_t, off_t, obj_t = pf & 3, (pf >> 2) & 3, (pf >> 4) & 3
    multiple = ltf & 1
    if multiple:
        plf = c.u8()
        count, len_t = plf & 0x3F, (plf >> 6) & 3
    else:
        count, len_t = 1, 0
    info["multiple"], info["count"] = multiple, count
    payload_end = packet_len - padding
    payloads = []
    for _ in range(count):
        p = Payload()
        sn = c.u8()
        p.stream, p.key = sn & 0x7F, sn >> 7
        p.obj_no = c.var(obj_t)
        p.offset = c.var(off_t)
        p.rep_len = c.var(rep_t)
        p.sub = p.delta = p.obj_size = p.pres_ms = None
        if p.rep_len == 1:
            p.delta = c.u8()
        elif p.rep_len >= 8:
            rep = Cursor(c.take(p.rep_len))
            p.obj_size = rep.u32()
            p.pres_ms = rep.u32()
        else:
            c.take(p.rep_len)
        length = c.var(len_t) if multiple else payload_end - c.pos
        body = c.take(length)
        if p.rep_len == 1:                        # compressed: run of sub-payloads
            sc, p.sub = Cursor(body), []
            while sc.left():
                p.sub.append(sc.take(sc.u8()))
            p.data = body
        else:
            p.data = body
        payloads.append(p)
    info["trailing"] = payload_end - c.pos        # should be 0
    info["pad_bytes"] = pkt[payload_end:packet_len]
    return info, payloads


def walk_data(data, st, header_size, r, rep, detail, max_lines, scan):
    c = Cursor(data, header_size)
    g = c.guid()
    size = c.u64()
    file_id = c.guid()
    total = c.u64()
    reserved = c.u16()
    r.out(0, "@%d %s size=%d File ID=%s Total Data Packets=%d Reserved=0x%04X"
          % (header_size, guid_name(g), size, guid_text(file_id), total, reserved))
    rep.check(g == NAME_TO_GUID["Data"], "Data object follows the Header")
    rep.check(reserved == 0x0101, "Data object reserved WORD is 0x0101")
    rep.check(file_id == st.file_id, "Data File ID == File Properties File ID")
    psize = st.max_packet
    first = header_size + 50
    broadcast = st.flags & 1
    if size == 0 or total == 0:
        n_packets = (len(data) - first) // psize
        r.out(1, "size/total unknown (broadcast=%d); assuming %d packets to EOF"
              % (broadcast, n_packets))
        end = first + n_packets * psize
    else:
        n_packets, end = total, header_size + size
        rep.check(size == 50 + total * psize,
                  "Data size (%d) == 50 + packets*packet_size (%d)"
                  % (size, 50 + total * psize))
        rep.check(total == st.packets_count,
                  "Data Total Data Packets == File Properties Data Packets Count")
    if not scan:
        n_packets = min(n_packets, detail)
    partial = {}            # (stream, obj_no) -> [size, got, pres, key, first_pkt, pkts]
    objects = {}            # stream -> list of (pres_ms, size, key, first_pkt, npkts)
    ok_layout = True
    gaps = nonzero_pad = 0
    last_send = max_pres = 0
    for i in range(n_packets):
        pkt = data[first + i * psize:first + (i + 1) * psize]
        try:
            info, payloads = parse_packet(pkt, psize)
        except ValueError as e:
            rep.check(False, "packet %d parses (%s)" % (i, e))
            break
        if info["trailing"] != 0 or info["packet_len"] != psize:
            ok_layout = False
        nonzero_pad += any(info["pad_bytes"])
        last_send = max(last_send, info["send_ms"] + info["duration_ms"])
        if i < detail:
            r.out(1, "packet %d @%d: %s ltf=0x%02X pf=0x%02X packet_len=%d "
                     "padding=%d send=%d ms duration=%d ms %s payloads=%d"
                  % (i, first + i * psize, info.get("ec", "no-ec"), info["ltf"],
                     info["pf"], info["packet_len"], info["padding"],
                     info["send_ms"], info["duration_ms"],
                     "multiple" if info["multiple"] else "single",
                     info["count"]))
            for p in payloads[:max_lines]:
                r.out(2, repr(p))
        for p in payloads:
            if p.sub is not None:
                for t, s in zip(p.sub_times(), p.sub):
                    objects.setdefault(p.stream, []).append((t, len(s), p.key, i, 1))
                    max_pres = max(max_pres, t)
                continue
            k = (p.stream, p.obj_no)
            if p.offset == 0 or k not in partial:
                partial[k] = [p.obj_size, 0, p.pres_ms, p.key, i, set()]
            ent = partial[k]
            gaps += p.offset != ent[1]
            ent[1] += len(p.data)
            ent[5].add(i)
            if ent[1] >= ent[0]:
                objects.setdefault(p.stream, []).append(
                    (ent[2], ent[0], ent[3], ent[4], len(ent[5])))
                max_pres = max(max_pres, ent[2])
                rep_ok = ent[1] == ent[0]
                if not rep_ok:
                    rep.check(False, "object %r reassembles to its size" % (k,))
                del partial[k]
    if scan:
        rep.check(ok_layout, "every packet is packet_size long and payloads "
                             "end exactly where padding starts")
        rep.check(not partial, "no unfinished media objects at end (%d left)"
                  % len(partial))
        rep.check(gaps == 0, "fragments arrive in order: Offset Into Media "
                             "Object == bytes already received (%d gaps)" % gaps)
        rep.check(nonzero_pad == 0, "padding bytes are zero (%d packets not)"
                  % nonzero_pad)
        for s, objs in sorted(objects.items()):
            keys = sum(1 for o in objs if o[2])
            r.out(1, "stream %d: %d media objects, %d with key bit, first pres "
                     "%d ms, last pres %d ms" % (s, len(objs), keys, objs[0][0],
                                                 objs[-1][0]))
        r.out(1, "max presentation time %d ms; last send+duration %d ms; "
                 "Play Duration %d ms; Send Duration %d ms; preroll %d ms"
              % (max_pres, last_send, st.play_duration // 10000,
                 st.send_duration // 10000, st.preroll_ms))
    return end, objects


def walk_indexes(data, pos, st, objects, r, rep):
    while pos + 24 <= len(data):
        c = Cursor(data, pos)
        g = c.guid()
        size = c.u64()
        name = GUID_NAMES.get(guid_text(g), "?")
        if name == "?" and pos + size != len(data) and size > len(data) - pos:
            break                       # not an ASF object: trailing junk

        r.out(0, "@%d %s size=%d" % (pos, guid_name(g), size))
        if size < 24:
            rep.check(False, "top-level object size >= 24")
            return
        c.end = pos + size
        if name == "Simple Index":
            fid = c.guid()
            interval = c.u64()
            maxcount = c.u32()
            n = c.u32()
            entries = [struct.unpack("<IH", c.take(6)) for _ in range(n)]
            r.out(1, "File ID=%s Interval=%d Max Packet Count=%d Entries=%d"
                  % (guid_text(fid), interval, maxcount, n))
            r.out(1, "first entries (packet, count): %r" % entries[:12])
            rep.check(size == 56 + 6 * n, "Simple Index size == 56 + 6*entries")
            rep.check(maxcount == max((e[1] for e in entries), default=0),
                      "Maximum Packet Count == max entry Packet Count")
            check_simple_index(entries, interval, st, objects, r, rep)
        elif name == "Index":
            interval = c.u32()
            nspec = c.u16()
            nblocks = c.u32()
            specs = [struct.unpack("<HH", c.take(4)) for _ in range(nspec)]
            r.out(1, "interval=%d ms specifiers=%r blocks=%d" % (interval, specs, nblocks))
        pos += size
    if pos != len(data):
        r.out(0, "NOTE: %d trailing bytes after the last object: %s"
              % (len(data) - pos, data[pos:pos + 32].hex()))


def check_simple_index(entries, interval, st, objects, r, rep):
    """Compare each entry with the key frames found while scanning packets."""
    video = [s for s, i in st.streams.items() if i.get("kind") == "video"]
    if not video or not objects.get(video[0]):
        return
    keys = [(o[0], o[3], o[4]) for o in objects[video[0]] if o[2]]
    r.out(1, "key frames of stream %d (pres ms, first packet, packets spanned):"
             " %r" % (video[0], keys[:12]))
    for label, shift in (("entry time i*interval compared with payload times "
                          "(preroll included)", 0),
                         ("entry time i*interval + preroll", st.preroll_ms)):
        match_pkt = match_both = match_minus1 = 0
        for i, (pkt, cnt) in enumerate(entries):
            t_ms = i * interval // 10000 + shift
            cand = [k for k in keys if k[0] <= t_ms]
            exp = cand[-1] if cand else keys[0]
            match_pkt += exp[1] == pkt
            match_both += (exp[1], exp[2]) == (pkt, cnt)
            match_minus1 += (exp[1], exp[2] - 1) == (pkt, cnt)
        r.out(1, "simple index vs last key frame at/before %s: packet number "
                 "matches %d/%d; count == packets spanned %d/%d; count == "
                 "spanned-1 %d/%d" % (label, match_pkt, len(entries), match_both,
                                      len(entries), match_minus1, len(entries)))


def main(argv):
    ap = argparse.ArgumentParser(description="Walk the objects of an ASF file.")
    ap.add_argument("file")
    ap.add_argument("--packets", type=int, default=3,
                    help="data packets to print in detail")
    ap.add_argument("--payloads", type=int, default=8,
                    help="payload lines per detailed packet")
    ap.add_argument("--no-scan", action="store_true",
                    help="do not walk every packet")
    a = ap.parse_args(argv[1:])
    with open(a.file, "rb") as f:
        data = f.read()
    r = rep = Report()
    st, hsize = parse_header(data, r, rep)
    if not st.flags & 1:
        rep.check(st.file_size_field == len(data),
                  "File Size field (%d) == real size (%d)"
                  % (st.file_size_field, len(data)))
    scan = not a.no_scan
    end, objects = walk_data(data, st, hsize, r, rep, a.packets, a.payloads, scan)
    if scan:
        walk_indexes(data, end, st, objects, r, rep)
    print("SUMMARY: %d check(s) failed" % rep.failures)
    return 1 if rep.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
