#!/usr/bin/env python3
"""Join benchmark: splicora-join against cat and FFmpeg's concat copy, on warm page cache.

Usage: bench_join.py BUILD_DIR [MEGABYTES] [WORK_DIR] [--only=W,...] [--runs=N]

Workloads (all by default):
  big    three inputs of MEGABYTES MiB (default 100) made from a bundled sample by make_big_asf
  video  three 100 MB WMV2 files at 20 Mb/s, 30 fps, noisy picture (made by FFmpeg)
  audio  three one-hour WMA files at 64 kb/s (made by FFmpeg)
  info   asftool info of a 300 MB file against cat of it
  late   a part whose time line starts at 3,000,000 s
Inputs are made on the first run and kept in WORK_DIR/splicora-join-bench (WORK_DIR /tmp).
cat hands each copy to the kernel (copy_file_range: one copy, never in user memory);
copy_through_memory reads and writes through a 128 KiB buffer, the least a joiner pays that
passes the bytes through its own memory, as splicora-join must.
Each command runs once to warm up, then N times (default 5), the commands of a table taking
turns run by run, so that a machine that is slower for a while slows them all alike; the
figures are medians of wall time, CPU time (user + system) and peak resident set size. Before
each run a busy loop is timed on every processor; a slowest-to-fastest ratio well above 1 means
the host gave one processor less time, which slows a join (two threads) more than cat (one).
A benchmark, not a test: CTest does not run it.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "..", "tests", "data")
# One source for all three: the writer's bit rate in a stream's format follows its data, and
# files of other bit rates do not match.
SAMPLE = "av_wmv2_wma2_meta.wmv"
WORKLOADS = ("big", "video", "audio", "info", "late")
FFMPEG_INPUTS = {
    "video": ("video%d.wmv", ["-f", "lavfi", "-i", "testsrc2=size=640x360:rate=30", "-f",
                              "lavfi", "-i", "sine", "-t", "40", "-vf", "noise=alls=80:allf=t",
                              "-c:v", "wmv2", "-b:v", "20M", "-c:a", "wmav2", "-b:a", "128k"]),
    "audio": ("audio%d.wma", ["-f", "lavfi", "-i", "sine", "-t", "3600", "-c:a", "wmav2",
                              "-b:a", "64k"]),
}


def processor_balance():
    """Slowest over fastest time of one busy loop on each processor this process may use."""
    allowed = os.sched_getaffinity(0)
    times = []
    try:
        for cpu in sorted(allowed):
            os.sched_setaffinity(0, {cpu})
            start = time.perf_counter()
            total = 0
            for i in range(200000):
                total += i * i
            times.append(time.perf_counter() - start)
    finally:
        os.sched_setaffinity(0, allowed)  # the commands inherit it
    return max(times) / min(times)


class Bench:
    def __init__(self, build, work, runs):
        self.bin = os.path.join(build, "bin")
        self.work = work
        self.runs = runs
        self.measurer = os.path.join(self.bin, "run_measured")

    def once(self, argv, clean):
        if clean and os.path.exists(clean):
            os.remove(clean)  # outside the timing: dropping the last output is not the join's
        done = subprocess.run([self.measurer] + argv, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, text=True)
        if done.returncode != 0:
            raise SystemExit("failed: %s\n%s" % (" ".join(argv), done.stderr))
        fields = done.stderr.strip().splitlines()[-1].split()
        cpu = float(fields[2]) if len(fields) > 2 else float("nan")
        return float(fields[0]), cpu, int(fields[1]) / 1024

    def measure(self, commands, clean=None):
        """Medians of wall seconds, CPU seconds and peak RSS (MiB) of each command, after one
        warm-up run each, and the processors' balance before each run. The commands take turns,
        run by run, so that a machine that is slower for a while slows them all alike."""
        for argv in commands:
            self.once(argv, clean)
        runs = [[] for _ in commands]
        balance = []
        for _ in range(self.runs):
            balance.append(processor_balance())
            for i, argv in enumerate(commands):
                runs[i].append(self.once(argv, clean))
        medians = [tuple(statistics.median(r[i] for r in rs) for i in range(3)) for rs in runs]
        return medians, balance

    def table(self, title, rows, clean=None, against="cat"):
        print(title)
        base = None
        results, balance = self.measure([argv for _, argv in rows], clean)
        for (name, _), (wall, cpu, rss) in zip(rows, results):
            base = base or wall
            ratio = "(%5.2f x %s)" % (wall / base, against) if against else ""
            print("  %-34s %8.3f s %-12s  CPU %7.3f s  peak RSS %7.1f MiB" %
                  (name, wall, ratio, cpu, rss))
        print("  processors, slowest over fastest busy loop: median %.2f, worst %.2f" %
              (statistics.median(balance), max(balance)))
        sys.stdout.flush()

    def join_rows(self, inputs, out):
        listing = os.path.join(self.work, "list.txt")
        with open(listing, "w") as f:
            f.writelines("file '%s'\n" % p for p in inputs)
        return [
            ("cat A B C > OUT", ["sh", "-c", 'cat "$@" > "%s"' % out, "cat"] + inputs),
            ("read+write through 128 KiB",
             [os.path.join(self.bin, "copy_through_memory"), out] + inputs),
            ("splicora-join --force OUT A B C",
             [os.path.join(self.bin, "splicora-join"), "--force", out] + inputs),
            ("ffmpeg -f concat -c copy", ["ffmpeg", "-v", "error", "-y", "-f", "concat", "-safe",
                                          "0", "-i", listing, "-c", "copy", out]),
        ]

    def big_inputs(self, megabytes, count, name):
        paths = []
        for i in range(count):
            big = os.path.join(self.work, name % (i + 1))
            if not os.path.exists(big) or os.path.getsize(big) < (megabytes << 20) * 9 // 10:
                subprocess.run([os.path.join(self.bin, "make_big_asf"), os.path.join(DATA, SAMPLE),
                                big, str(megabytes)], check=True)
            paths.append(big)
        return paths

    def ffmpeg_inputs(self, workload):
        name, args = FFMPEG_INPUTS[workload]
        paths = [os.path.join(self.work, name % (i + 1)) for i in range(3)]
        if not os.path.exists(paths[0]):
            print("making %s with FFmpeg (once)..." % paths[0])
            sys.stdout.flush()
            part = paths[0] + ".part" + os.path.splitext(paths[0])[1]
            subprocess.run(["ffmpeg", "-v", "error", "-y"] + args + [part], check=True)
            os.rename(part, paths[0])
        for p in paths[1:]:  # the same content three times joins like three parts of one take
            if not os.path.exists(p):
                shutil.copyfile(paths[0], p)
        return paths

    def join(self, title, inputs):
        total = sum(os.path.getsize(p) for p in inputs) / (1 << 20)
        out = os.path.join(self.work, "out" + os.path.splitext(inputs[0])[1])
        self.table("%s: 3 files, %.0f MiB in all (warm cache, medians of %d runs)" %
                   (title, total, self.runs), self.join_rows(inputs, out), out)
        if os.path.exists(out):
            os.remove(out)

    def info(self):
        big = self.big_inputs(300, 1, "info%d.wmv")[0]
        size = os.path.getsize(big) / (1 << 20)
        self.table("asftool info of one %.0f MiB file (medians of %d runs)" % (size, self.runs), [
            ("cat FILE > /dev/null", ["sh", "-c", 'cat "$1" > /dev/null', "cat", big]),
            ("asftool info FILE", [os.path.join(self.bin, "asftool"), "info", big]),
        ])

    def late(self):
        """A part whose time line starts at 3,000,000 s costs only the clock's idle steps."""
        parts = []
        for start in (0, 3000000):
            part = os.path.join(self.work, "late_%d.wmv" % start)
            if not os.path.exists(part):
                subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                "testsrc2=size=160x120:rate=15", "-f", "lavfi", "-i", "sine",
                                "-t", "3", "-c:v", "msmpeg4", "-c:a", "wmav2",
                                "-output_ts_offset", str(start), part], check=True)
            parts.append(part)
        out = os.path.join(self.work, "late_out.wmv")
        join = os.path.join(self.bin, "splicora-join")
        self.table("a part starting at 3,000,000 s (about 35 days of idle clock steps):", [
            (" + ".join(os.path.basename(p) for p in order), [join, "--force", out] + order)
            for order in (parts, parts[::-1])
        ], out, against=None)


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    options = dict(a[2:].split("=", 1) for a in sys.argv[1:] if a.startswith("--") and "=" in a)
    if not args:
        print(__doc__)
        return 2
    only = options.get("only", ",".join(WORKLOADS)).split(",")
    unknown = [w for w in only if w not in WORKLOADS]
    if unknown:
        raise SystemExit("unknown workload: %s (known: %s)" % (",".join(unknown),
                                                              ",".join(WORKLOADS)))
    megabytes = int(args[1]) if len(args) > 1 else 100
    work = os.path.join(args[2] if len(args) > 2 else "/tmp", "splicora-join-bench")
    os.makedirs(work, exist_ok=True)
    bench = Bench(args[0], work, max(1, int(options.get("runs", "5"))))
    if "big" in only:
        bench.join("big (make_big_asf, %d MiB each)" % megabytes,
                   bench.big_inputs(megabytes, 3, "in%d.wmv"))
    if "video" in only:
        bench.join("video (WMV2 20 Mb/s, 30 fps, noisy)", bench.ffmpeg_inputs("video"))
    if "audio" in only:
        bench.join("audio (WMA 64 kb/s, 1 h each)", bench.ffmpeg_inputs("audio"))
    if "info" in only:
        bench.info()
    if "late" in only:
        bench.late()
    return 0


if __name__ == "__main__":
    sys.exit(main())
