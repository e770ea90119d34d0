#!/usr/bin/env python3
"""Join benchmark: splicora-join of three large inputs against cat and FFmpeg's concat copy.

Usage: bench_join.py BUILD_DIR [MEGABYTES] [WORK_DIR]   (default 100 MiB each, WORK_DIR /tmp)
Makes three inputs from a bundled sample with BUILD_DIR/bin/make_big_asf when missing, then runs
each command three times (warm cache) and prints the best time and the peak resident set size.
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "..", "tests", "data")
# One source for all three: the writer's bit rate in a stream's format follows its data, and
# files of other bit rates do not match.
SAMPLE = "av_wmv2_wma2_meta.wmv"


def measure(measurer, argv):
    """Best wall time of three runs and the largest peak RSS (MiB)."""
    best, peak = None, 0.0
    for _ in range(3):
        done = subprocess.run([measurer] + argv, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, text=True)
        if done.returncode != 0:
            raise SystemExit("failed: %s\n%s" % (" ".join(argv), done.stderr))
        seconds, kib = done.stderr.strip().splitlines()[-1].split()
        best = float(seconds) if best is None else min(best, float(seconds))
        peak = max(peak, int(kib) / 1024)
    return best, peak


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    bin_dir = os.path.join(sys.argv[1], "bin")
    megabytes = int(sys.argv[2]) if len(sys.argv) > 2 else 100
    work = os.path.join(sys.argv[3] if len(sys.argv) > 3 else "/tmp", "splicora-join-bench")
    os.makedirs(work, exist_ok=True)
    measurer = os.path.join(bin_dir, "run_measured")
    inputs = []
    for i in range(3):
        big = os.path.join(work, "in%d.wmv" % (i + 1))
        if not os.path.exists(big) or os.path.getsize(big) < (megabytes << 20) * 9 // 10:
            subprocess.run([os.path.join(bin_dir, "make_big_asf"), os.path.join(DATA, SAMPLE), big,
                            str(megabytes)], check=True)
        inputs.append(big)
    total = sum(os.path.getsize(p) for p in inputs) / (1 << 20)
    listing = os.path.join(work, "list.txt")
    with open(listing, "w") as f:
        f.writelines("file '%s'\n" % p for p in inputs)
    out = os.path.join(work, "out.wmv")
    join = os.path.join(bin_dir, "splicora-join")

    rows = [
        ("cat A B C > OUT", ["sh", "-c", 'cat "$@" > "%s"' % out, "cat"] + inputs),
        ("splicora-join --force OUT A B C", [join, "--force", out] + inputs),
        ("ffmpeg -f concat -c copy", ["ffmpeg", "-v", "error", "-y", "-f", "concat", "-safe", "0",
                                      "-i", listing, "-c", "copy", out]),
    ]
    print("inputs: 3 files, %.0f MiB in all, in %s (warm cache, best of 3)" % (total, work))
    base = None
    for name, argv in rows:
        t, rss = measure(measurer, argv)
        base = base or t
        print("  %-34s %8.3f s  (%5.2f x cat)  peak RSS %7.1f MiB" % (name, t, t / base, rss))
    os.remove(out)
    late_timeline(work, join, measurer)
    return 0


def late_timeline(work, join, measurer):
    """A part whose time line starts at 3,000,000 s costs only the clock's idle steps."""
    parts = []
    for start in (0, 3000000):
        part = os.path.join(work, "late_%d.wmv" % start)
        if not os.path.exists(part):
            subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                            "testsrc2=size=160x120:rate=15", "-f", "lavfi", "-i", "sine", "-t", "3",
                            "-c:v", "msmpeg4", "-c:a", "wmav2", "-output_ts_offset", str(start),
                            part], check=True)
        parts.append(part)
    out = os.path.join(work, "late_out.wmv")
    print("a part starting at 3,000,000 s (about 35 days of idle clock steps):")
    for order in (parts, parts[::-1]):
        t, rss = measure(measurer, [join, "--force", out] + order)
        print("  %-34s %8.3f s  peak RSS %7.1f MiB" % (
            " + ".join(os.path.basename(p) for p in order), t, rss))
    os.remove(out)


if __name__ == "__main__":
    sys.exit(main())
