#!/usr/bin/env python3
"""Replays one damaged regression file through asftool and checks the outcome expected.tsv gives.

Usage: damaged_files.py ASFTOOL REGRESS_DIR SOURCE NAME
       damaged_files.py --check-listing REGRESS_DIR

refused       `asftool info FILE` and `asftool info --json FILE` both exit non-zero and name
              the file in their message.
damaged_read  `asftool info --json FILE` exits 0 and lists the streams of SOURCE (the intact
              sample the file was made from), each starting at the same time, and either
              counts damaged packets (damaged_packets > 0) or delivers fewer samples in total
              than SOURCE (a file cut at a packet boundary loses samples without a bad packet);
              files whose damaged packets cannot be parsed must count them (damaged_packets > 0).
whole_read    `asftool info --json FILE` exits 0 and reads every sample of SOURCE with no damage:
              odd but well-formed times are data, not damage.
Either way: no crash, no hang, no sanitizer report.
--check-listing checks that expected.tsv and the files of REGRESS_DIR list the same files.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import asftool_run  # noqa: E402

TOLERANCE = 10000  # 1 ms in 100-ns units
NOT_SAMPLES = {"README.md", "expected.tsv", "make_damaged.py"}
# Damage that leaves packets no checked parser can accept: they must show in damaged_packets.
MUST_COUNT = {"packet_length_beyond_packet.wmv", "payload_length_beyond_packet.wmv",
              "scrambled_packets.wmv"}


# Refusals whose reason is checked too.
REASONS = {"packet_size_one.wmv": "the packet size is not usable"}


def read_expected(regress_dir):
    expected = {}
    with open(os.path.join(regress_dir, "expected.tsv"), encoding="utf-8") as f:
        for line in f:
            if line.strip():
                name, outcome = line.rstrip("\n").split("\t")
                expected[name] = outcome
    return expected


def check_refused(asftool, path):
    failures = []
    for args in (["info"], ["info", "--json"]):
        r = asftool_run.run([asftool] + args + [path])
        if r.problem:
            failures.append("%s\n%s" % (r.problem, r.describe()))
        elif r.returncode == 0:
            failures.append("opened a file whose header is damaged (exit code 0)\n" + r.describe())
        elif os.path.basename(path) not in r.stdout + r.stderr:
            failures.append("the message does not name the file\n" + r.describe())
        elif REASONS.get(os.path.basename(path), "") not in r.stderr:
            failures.append("the message does not say %r\n%s"
                            % (REASONS[os.path.basename(path)], r.describe()))
    return failures


def stream_key(s):
    return (s.get("number"), s.get("type"), s.get("codec"))


def check_damaged_read(asftool, path, source):
    got, run, error = asftool_run.info_json(asftool, path)
    if got is None:
        return ["could not read a file whose header is intact: %s\n%s" % (error, run.describe())]
    intact, run, error = asftool_run.info_json(asftool, source)
    if intact is None:
        return ["could not read the intact source: %s\n%s" % (error, run.describe())]

    failures = []
    streams, intact_streams = got.get("streams", []), intact.get("streams", [])
    if [stream_key(s) for s in streams] != [stream_key(s) for s in intact_streams]:
        failures.append("streams differ from the source's: %s against %s"
                        % ([stream_key(s) for s in streams], [stream_key(s) for s in intact_streams]))
    for s, t in zip(streams, intact_streams):
        a, b = s.get("first_time"), t.get("first_time")
        if not isinstance(a, int) or not isinstance(b, int) or abs(a - b) > TOLERANCE:
            failures.append("stream %s starts at %s, the source's at %s (the start is intact)"
                            % (s.get("number"), a, b))
    damaged = got.get("damaged_packets", 0)
    samples = sum(s.get("samples", 0) for s in streams)
    intact_samples = sum(s.get("samples", 0) for s in intact_streams)
    if os.path.basename(path) in MUST_COUNT and not damaged > 0:
        failures.append("damaged_packets is %s: the unparsable packets were not counted" % damaged)
    elif not (damaged > 0 or samples < intact_samples):
        failures.append("the loss is not visible: damaged_packets %s, %d samples against %d in the "
                        "source" % (damaged, samples, intact_samples))
    if failures:
        failures.append("per stream (number: samples here / in the source): %s" % ", ".join(
            "%s: %s/%s" % (s.get("number"), s.get("samples"), t.get("samples"))
            for s, t in zip(streams, intact_streams)))
    return failures


def check_whole_read(asftool, path, source):
    got, run, error = asftool_run.info_json(asftool, path)
    intact, _, _ = asftool_run.info_json(asftool, source)
    if got is None or intact is None:
        return ["could not read a well-formed file: %s\n%s" % (error, run.describe())]
    counts = [(stream_key(s), s.get("samples")) for s in got.get("streams", [])]
    intact_counts = [(stream_key(s), s.get("samples")) for s in intact.get("streams", [])]
    failures = []
    if got.get("damaged_packets") != 0:
        failures.append("damaged_packets is %s for a well-formed file" % got.get("damaged_packets"))
    if counts != intact_counts:
        failures.append("samples per stream %s, the source's %s" % (counts, intact_counts))
    return failures


def check_listing(regress_dir):
    listed = set(read_expected(regress_dir))
    present = set(os.listdir(regress_dir)) - NOT_SAMPLES
    failures = ["%s has no line in expected.tsv" % n for n in sorted(present - listed)]
    failures += ["%s is in expected.tsv but missing" % n for n in sorted(listed - present)]
    return failures


def main(argv):
    if len(argv) == 3 and argv[1] == "--check-listing":
        failures, what = check_listing(argv[2]), "listing of " + argv[2]
    elif len(argv) == 5:
        asftool, regress_dir, source, name = argv[1:]
        outcome = read_expected(regress_dir).get(name)
        path = os.path.join(regress_dir, name)
        what = "%s (expected: %s)" % (path, outcome)
        if outcome == "refused":
            failures = check_refused(asftool, path)
        elif outcome == "damaged_read":
            failures = check_damaged_read(asftool, path, source)
        elif outcome == "whole_read":
            failures = check_whole_read(asftool, path, source)
        else:
            failures = ["no known outcome in expected.tsv: %r" % outcome]
    else:
        print(__doc__, file=sys.stderr)
        return 2
    if failures:
        print("FAIL %s" % what)
        for f in failures:
            print("  " + f.replace("\n", "\n  "))
        return 1
    print("ok %s" % what)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
