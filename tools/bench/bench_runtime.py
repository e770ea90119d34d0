#!/usr/bin/env python3
"""Runtime benchmarks: asftool info against cat, asftool copy against cp, with peak RSS.

Usage: bench_runtime.py BUILD_DIR [MEGABYTES]   (default 300)
Makes BUILD_DIR/bench/big.wmv from the bundled sample if missing, then runs each command three
times and prints the best time and the peak resident set size of each.
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE = os.path.join(HERE, "..", "..", "tests", "data", "av_wmv2_wma2_meta.wmv")


MEASURE = None  # BUILD_DIR/bin/run_measured


def measure(argv):
    """Best wall time of three runs and the largest peak RSS (MiB)."""
    best, peak = None, 0
    for _ in range(3):
        done = subprocess.run([MEASURE] + argv, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, text=True)
        if done.returncode != 0:
            raise SystemExit("failed: %s\n%s" % (" ".join(argv), done.stderr))
        seconds, kib = done.stderr.strip().splitlines()[-1].split()[:2]
        best = float(seconds) if best is None else min(best, float(seconds))
        peak = max(peak, int(kib) / 1024)
    return best, peak


def row(name, t, rss, base=None):
    ratio = " (%.2f x)" % (t / base) if base else ""
    print("  %-34s %8.3f s%-10s peak RSS %7.1f MiB" % (name, t, ratio, rss))


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build = sys.argv[1]
    megabytes = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    bin_dir = os.path.join(build, "bin")
    global MEASURE
    MEASURE = os.path.join(bin_dir, "run_measured")
    work = os.path.join(build, "bench")
    os.makedirs(work, exist_ok=True)
    big = os.path.join(work, "big.wmv")
    if not os.path.exists(big) or os.path.getsize(big) < megabytes << 20:
        subprocess.run([os.path.join(bin_dir, "make_big_asf"), SAMPLE, big, str(megabytes)],
                       check=True)
    size = os.path.getsize(big) / (1 << 20)
    asftool = os.path.join(bin_dir, "asftool")
    out = os.path.join(work, "copy.wmv")
    print("file: %s, %.0f MiB (warm cache, best of 3)" % (big, size))

    print("read:")
    cat_t, cat_rss = measure(["cat", big])
    info_t, info_rss = measure([asftool, "info", big])
    row("cat FILE > /dev/null", cat_t, cat_rss)
    row("asftool info FILE", info_t, info_rss, cat_t)

    print("copy:")
    cp_t, cp_rss = measure(["cp", big, out])
    os.remove(out)
    copy_t, copy_rss = measure(["sh", "-c", 'rm -f "$2"; exec "$0" copy "$1" "$2"', asftool, big,
                                out])
    os.remove(out)
    row("cp FILE OUT", cp_t, cp_rss)
    row("asftool copy FILE OUT", copy_t, copy_rss, cp_t)
    return 0


if __name__ == "__main__":
    sys.exit(main())
