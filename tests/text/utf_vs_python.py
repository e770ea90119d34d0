#!/usr/bin/env python3
"""The text toolkit's conversions against Python's codecs.

UTF-8 -> UTF-16 must equal bytes.decode("utf-8", "surrogateescape"), and come back byte for
byte. UTF-16 -> UTF-8 must equal Python's "surrogateescape" encoding, with every other lone
surrogate as U+FFFD; the display form shows every lone surrogate as U+FFFD and is valid UTF-8.
"""
import codecs
import random
import subprocess
import sys

FFFD = "\ufffd".encode()


def escape_or_replace(err):
    out = b""
    for ch in err.object[err.start:err.end]:
        c = ord(ch)
        out += bytes([c - 0xDC00]) if 0xDC80 <= c <= 0xDCFF else FFFD
    return out, err.end


def replace_all(err):
    return FFFD * (err.end - err.start), err.end


codecs.register_error("test.escape_or_replace", escape_or_replace)
codecs.register_error("test.replace_all", replace_all)


def units(b):  # UTF-16 code units of a text, lone surrogates kept
    return b.encode("utf-16-le", "surrogatepass")


def text_of(u16):  # a text from UTF-16 code units, pairs joined, lone surrogates kept
    return u16.decode("utf-16-le", "surrogatepass")


def hexs(b, width):
    if not b:
        return "-"
    if width == 2:
        return b.hex()
    return "".join("%04x" % int.from_bytes(b[i:i + 2], "little") for i in range(0, len(b), 2))


def byte_cases(rng):
    cases = [bytes([a, b]) for a in range(256) for b in range(256)]  # every pair of bytes
    leads = [0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xFF]
    tails = [0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC3]
    cases += [bytes([a, b, c]) for a in leads for b in tails for c in tails]
    cases += [bytes([a, b, c, d]) for a in leads[9:] for b in tails for c in tails[3:]
              for d in tails[3:]]
    pool = [chr(c) for c in (0x41, 0xE9, 0x130, 0x3A3, 0x416, 0x20AC, 0xD7FF, 0xE000, 0xFFFD,
                             0xFFFF, 0x10000, 0x1F600, 0x10FFFF)]
    for _ in range(20000):
        parts = []
        for _ in range(rng.randrange(0, 8)):
            r = rng.random()
            if r < 0.4:
                parts.append(rng.choice(pool).encode())
            elif r < 0.6:  # a valid character cut short
                e = rng.choice(pool).encode()
                parts.append(e[:rng.randrange(0, len(e))])
            else:
                parts.append(bytes([rng.randrange(256)]))
        cases.append(b"".join(parts))
    return cases


def unit_cases(rng):
    cases = [u.to_bytes(2, "little") for u in range(0x10000)]  # every single unit
    edge = [0x0000, 0x0041, 0x00E9, 0x07FF, 0x0800, 0xD7FF, 0xD800, 0xDB7F, 0xDBFF, 0xDC00,
            0xDC7F, 0xDC80, 0xDCC3, 0xDCA9, 0xDCFF, 0xDD00, 0xDFFF, 0xE000, 0xFFFD, 0xFFFF]
    cases += [a.to_bytes(2, "little") + b.to_bytes(2, "little") for a in edge for b in edge]
    for _ in range(20000):
        n = rng.randrange(0, 8)
        cases.append(b"".join(
            (rng.choice(edge) if rng.random() < 0.6 else rng.randrange(0x10000)).to_bytes(
                2, "little") for _ in range(n)))
    return cases


def main():
    driver = sys.argv[1]
    rng = random.Random(18)
    bcases, ucases = byte_cases(rng), unit_cases(rng)
    lines = ["8 " + hexs(b, 2) for b in bcases] + ["16 " + hexs(u, 4) for u in ucases]
    run = subprocess.run([driver], input="\n".join(lines) + "\n", capture_output=True,
                         text=True, check=True)
    answers = run.stdout.split("\n")
    failures = []
    for k, b in enumerate(bcases):
        got16, back = answers[k].split()
        want16 = hexs(units(b.decode("utf-8", "surrogateescape")), 4)
        if got16 != want16 or back != hexs(b, 2):
            failures.append("bytes %s: UTF-16 %s (Python %s), back %s" % (b.hex(), got16, want16,
                                                                           back))
    for k, u in enumerate(ucases):
        got8, shown = answers[len(bcases) + k].split()
        t = text_of(u)
        want8 = t.encode("utf-8", "test.escape_or_replace")
        want_shown = t.encode("utf-8", "test.replace_all")
        shown_bytes = bytes.fromhex("" if shown == "-" else shown)
        shown_bytes.decode("utf-8")  # the display form is always valid UTF-8
        if got8 != hexs(want8, 2) or shown_bytes != want_shown:
            failures.append("units %s: UTF-8 %s (Python %s), display %s (Python %s)" % (
                hexs(u, 4), got8, want8.hex(), shown, want_shown.hex()))
    for f in failures[:20]:
        print(f)
    print("%d byte strings, %d UTF-16 texts, %d differ from Python" % (
        len(bcases), len(ucases), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
