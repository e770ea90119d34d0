#!/usr/bin/env python3
"""What asftool and splicora-join promise about the user's files, tried on real files.

Usage: file_safety.py BIN_DIR DATA_DIR CASE

edits       asftool mark rewriting a file: a link planted at the old temporary name is not
            followed, a 0600 file stays 0600 (and keeps its owner, as root), a link given by the
            user stays a link and its target gets the marker, hard links stay one file, and a
            file without write permission is refused with the system's reason and unchanged.
concurrent  two asftool mark at once on one file: both markers land, or the one that fails says
            so; no temporary file is left.
interrupt   SIGTERM part way through splicora-join leaves the earlier output byte-identical and
            nothing else; SIGINT during asftool copy and a rewriting asftool mark likewise;
            the exit status is 128 + the signal.
full_disk   (root: mounts small tmpfs) a full and a read-only file system and a missing folder
            give the system's reason once and leave nothing behind.
odd_names   a file name that is not UTF-8 can be read, marked and joined.
Exit status: 0 pass, 1 fail, 77 skipped (FFmpeg missing, or full_disk without root); under
CI (CI=true) a case that cannot run fails instead.
"""
import glob
import hashlib
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import asftool_run  # noqa: E402

BIN, DATA, CASE = sys.argv[1], sys.argv[2], sys.argv[3]
ASFTOOL = os.path.join(BIN, "asftool")
JOIN = os.path.join(BIN, "splicora-join")
META = os.path.join(DATA, "av_wmv2_wma2_meta.wmv")
PART2 = os.path.join(DATA, "av_part2.wmv")
LONG_NAME = "M" * 12000  # one marker that outgrows any header padding: the file is rewritten
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def sanitizer_clean(err, argv):
    return check(not any(m.encode() in err for m in asftool_run.SANITIZER_MARKS),
                 "sanitizer report from %s:\n%s" % (argv[:2], err.decode(errors="replace")))


def run(argv, **kw):
    done = subprocess.run(argv, capture_output=True, timeout=120, **kw)
    sanitizer_clean(done.stderr, argv)
    return done


def digest(path):
    return hashlib.md5(open(path, "rb").read()).hexdigest()


def chapters(path):
    """Marker names as FFmpeg reads them (an independent reader; it keeps 1023 characters)."""
    out = run(["ffprobe", "-v", "error", "-show_chapters", "-of", "json", path]).stdout
    return [c.get("tags", {}).get("title") for c in json.loads(out or b"{}").get("chapters", [])]


def has_marker(path, name):
    return any(t and name[:1023] == t for t in chapters(path))


def mark(path, name, seconds="0.5"):
    return run([ASFTOOL, "mark", path, seconds, name])


def listing(folder):
    return sorted(os.listdir(folder))


def case_edits(work):
    a, b = os.path.join(work, "a"), os.path.join(work, "b")
    os.mkdir(a)
    os.mkdir(b)
    secret = os.path.join(b, "secret.txt")
    open(secret, "w").write("private")
    v = os.path.join(a, "v.wmv")
    shutil.copy(META, v)
    os.chmod(v, 0o600)
    os.symlink(secret, os.path.join(a, ".v.wmv.edit"))
    root = os.geteuid() == 0
    if root:
        os.chown(v, 4321, 4322)
    r = mark(v, LONG_NAME)
    check(r.returncode == 0, "mark failed: %s" % r.stderr)
    check(open(secret).read() == "private", "a planted link was followed")
    check(not os.path.islink(v), "the marked file became a link")
    check(has_marker(v, LONG_NAME), "the marker is missing after the rewrite")
    st = os.stat(v)
    check(st.st_mode & 0o7777 == 0o600, "mode %o after the rewrite, not 600" % st.st_mode)
    if root:
        check((st.st_uid, st.st_gid) == (4321, 4322), "owner lost: %d:%d" % (st.st_uid, st.st_gid))

    target = os.path.join(b, "target.wmv")
    shutil.copy(META, target)
    link = os.path.join(a, "link.wmv")
    os.symlink(target, link)
    r = mark(link, LONG_NAME)
    check(r.returncode == 0, "mark through a link failed: %s" % r.stderr)
    check(os.path.islink(link) and os.readlink(link) == target, "the link is no longer a link")
    check(has_marker(target, LONG_NAME), "the link's target did not get the marker")

    h1, h2 = os.path.join(a, "h1.wmv"), os.path.join(a, "h2.wmv")
    shutil.copy(META, h1)
    os.link(h1, h2)
    r = mark(h1, LONG_NAME)
    check(r.returncode == 0, "mark of a hard link failed: %s" % r.stderr)
    check(os.path.samefile(h1, h2), "the hard link was split")
    check(has_marker(h2, LONG_NAME), "the other name of a hard link lacks the marker")

    ro = os.path.join(a, "ro.wmv")
    shutil.copy(META, ro)
    os.chmod(ro, 0o444)
    before = digest(ro)
    for name in ("small", LONG_NAME):  # in place and rewritten
        r = mark(ro, name)
        err = r.stderr.decode(errors="replace")
        check(r.returncode == 1 and "Permission denied" in err and ro in err,
              "a 0444 file was not refused with the reason: %d %s" % (r.returncode, err))
    check(digest(ro) == before and os.stat(ro).st_mode & 0o777 == 0o444, "a 0444 file changed")
    check(listing(a) == [".v.wmv.edit", "h1.wmv", "h2.wmv", "link.wmv", "ro.wmv", "v.wmv"],
          "files left in the folder: %s" % listing(a))
    check(listing(b) == ["secret.txt", "target.wmv"], "files left beside the target: %s"
          % listing(b))


def case_concurrent(work):
    for round_ in range(4):
        v = os.path.join(work, "v%d.wmv" % round_)
        shutil.copy(META, v)
        names = ["A%d" % round_ + LONG_NAME, "B%d" % round_ + LONG_NAME]
        procs = [subprocess.Popen([ASFTOOL, "mark", v, "1", n], stderr=subprocess.PIPE)
                 for n in names]
        results = [(p.wait(timeout=120), p.stderr.read()) for p in procs]
        for _, err in results:
            sanitizer_clean(err, [ASFTOOL, "mark"])
        results = [(code, err.decode(errors="replace")) for code, err in results]
        for (code, err), name in zip(results, names):
            if code == 0:
                check(has_marker(v, name), "mark exited 0 but its marker was lost (round %d)" % round_)
            else:
                check(v in err, "a failed mark did not say why: %s" % err)
        check(any(code == 0 for code, _ in results), "neither mark succeeded: %s" % results)
    check(all(n.endswith(".wmv") and not n.startswith(".") for n in os.listdir(work)),
          "temporary files left: %s" % listing(work))


def wait_for(pattern, proc, seconds=60):
    end = time.time() + seconds
    while time.time() < end and proc.poll() is None:
        if glob.glob(pattern):
            return True
        time.sleep(0.002)
    return False


def interrupted(argv, temp_pattern, sig):
    proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if not check(wait_for(temp_pattern, proc), "no temporary file seen for %s" % argv[:2]):
        proc.kill()
        proc.wait()
        return
    proc.send_signal(sig)
    code = proc.wait(timeout=120)
    err = proc.stderr.read()
    sanitizer_clean(err, argv)
    check(code == 128 + sig, "%s exited %s after signal %d, not %d: %s"
          % (os.path.basename(argv[0]), code, sig, 128 + sig, err))


def case_interrupt(work):
    inputs, out = os.path.join(work, "in"), os.path.join(work, "out")
    os.mkdir(inputs)
    os.mkdir(out)
    big = os.path.join(inputs, "big.wmv")
    # About 150 MB: long enough to be caught part way.
    made = run(["ffmpeg", "-nostdin", "-v", "error", "-stream_loop", "800", "-i", META,
                "-c", "copy", "-f", "asf", big])
    if not check(made.returncode == 0, "ffmpeg could not make a large input: %s" % made.stderr):
        return
    earlier = os.path.join(out, "joined.wmv")
    shutil.copy(PART2, earlier)
    # The hidden name, or the writer's file beside it while the packets are written.
    interrupted([JOIN, "--force", earlier, big, big], os.path.join(out, ".*joined.wmv*"),
                signal.SIGTERM)
    check(digest(earlier) == digest(PART2), "the earlier output changed")
    check(listing(out) == ["joined.wmv"], "left in the output folder: %s" % listing(out))

    copy = os.path.join(out, "copy.wmv")
    interrupted([ASFTOOL, "copy", big, copy], os.path.join(out, ".copy.wmv*"), signal.SIGINT)
    check(listing(out) == ["joined.wmv"], "asftool copy left: %s" % listing(out))

    before = digest(big)
    interrupted([ASFTOOL, "mark", big, "1", LONG_NAME], os.path.join(inputs, ".big.wmv*"),
                signal.SIGINT)
    check(digest(big) == before, "an interrupted mark changed the file")
    check(listing(inputs) == ["big.wmv"], "asftool mark left: %s" % listing(inputs))


def skipped(why):
    """SKIP when a case cannot run here; under CI a failure."""
    print("%s: %s" % ("FAIL" if asftool_run.judges_required() else "skipped", why))
    return 1 if asftool_run.judges_required() else asftool_run.SKIP


def mounted(folder, options):
    return run(["mount", "-t", "tmpfs", "-o", options, "tmpfs", folder]).returncode == 0


def case_full_disk(work):
    if os.geteuid() != 0:
        return skipped("needs root to mount a small tmpfs")
    full, ro = os.path.join(work, "full"), os.path.join(work, "ro")
    os.mkdir(full)
    os.mkdir(ro)
    if not mounted(full, "size=100k") or not mounted(ro, "ro,size=1m"):
        return skipped("tmpfs cannot be mounted here")
    try:
        cases = [
            ([JOIN, os.path.join(full, "j.wmv"), META, PART2], full, "No space left on device"),
            ([ASFTOOL, "copy", META, os.path.join(full, "c.wmv")], full,
             "No space left on device"),
            ([JOIN, os.path.join(ro, "j.wmv"), META, PART2], ro, "Read-only file system"),
            ([JOIN, os.path.join(work, "missing", "j.wmv"), META, PART2], None,
             "No such file or directory"),
        ]
        for argv, folder, reason in cases:
            r = run(argv)
            err = r.stderr.decode(errors="replace")
            named = os.path.basename(argv[1] if argv[0] == JOIN else argv[3])
            check(r.returncode == 1 and err.count(reason) == 1 and named in err,
                  "%s: exit %d, wanted the reason %r once with the file name:\n%s"
                  % (" ".join(argv[:2]), r.returncode, reason, err))
            if folder:
                check(os.listdir(folder) == [], "left behind: %s" % os.listdir(folder))
    finally:
        run(["umount", full])
        run(["umount", ro])


def case_odd_names(work):
    odd = os.path.join(work.encode(), b"caf\xe9-\xff.wmv")
    shutil.copy(META, odd)
    r = run([ASFTOOL, "info", "--json", odd])
    check(r.returncode == 0, "asftool info cannot read a name that is not UTF-8: %s" % r.stderr)
    if r.returncode == 0:
        name = json.loads(r.stdout)["file"]  # valid JSON, each stray byte as its own escape
        check(name.encode("utf-8", "surrogateescape") == odd, "JSON names %r" % name)
    r = run([ASFTOOL, "mark", odd, "0.5", "odd"])
    check(r.returncode == 0 and has_marker(odd, "odd"), "such a file cannot be marked: %s"
          % r.stderr)
    out = os.path.join(work.encode(), b"out-\xfe.wmv")
    r = run([JOIN, out, odd, PART2])
    check(r.returncode == 0 and os.path.exists(out), "such files cannot be joined: %s" % r.stderr)
    check(b"\xe9-\xff" in r.stdout, "the join does not name the input: %s" % r.stdout)


def main():
    asftool_run.require("ffprobe", "ffmpeg")
    with tempfile.TemporaryDirectory() as work:
        result = globals()["case_" + CASE](work)
    if result is not None:
        return result
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
