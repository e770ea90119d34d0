"""Runs asftool for the comparison tests and tells a clean answer from a crash or a hang."""
import json
import os
import shutil
import subprocess

SKIP = 77  # CTest's SKIP_RETURN_CODE for these tests
TIMEOUT_S = 120

# Lines that the sanitizers print; a run that prints one failed whatever its exit code.
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                   "UndefinedBehaviorSanitizer")


class Run:
    def __init__(self, argv, returncode, stdout, stderr, problem=None):
        self.argv = argv
        self.returncode = returncode
        self.stdout = stdout
        self.stderr = stderr
        self.problem = problem  # set when the program crashed, hung or reported memory errors

    def describe(self):
        text = "$ %s\nexit code: %s\n" % (" ".join(self.argv), self.returncode)
        if self.stdout.strip():
            text += "stdout:\n%s\n" % self.stdout.rstrip()
        if self.stderr.strip():
            text += "stderr:\n%s\n" % self.stderr.rstrip()
        return text


def run(argv, timeout=TIMEOUT_S):
    try:
        done = subprocess.run(argv, capture_output=True, text=True, errors="replace", timeout=timeout)
    except subprocess.TimeoutExpired as e:
        out = e.stdout.decode(errors="replace") if isinstance(e.stdout, bytes) else (e.stdout or "")
        err = e.stderr.decode(errors="replace") if isinstance(e.stderr, bytes) else (e.stderr or "")
        return Run(argv, None, out, err, "no answer within %d s (hang?)" % timeout)
    problem = None
    if done.returncode < 0:
        problem = "killed by signal %d" % -done.returncode
    elif any(mark in done.stderr for mark in SANITIZER_MARKS):
        problem = "sanitizer report"
    return Run(argv, done.returncode, done.stdout, done.stderr, problem)


def info_json(asftool, path):
    """Runs `asftool info --json path`; returns (parsed object or None, Run, error text or None)."""
    r = run([asftool, "info", "--json", path])
    if r.problem:
        return None, r, r.problem
    if r.returncode != 0:
        return None, r, "exit code %d" % r.returncode
    try:
        return json.loads(r.stdout), r, None
    except ValueError as e:
        return None, r, "stdout is not one JSON object: %s" % e


def judges_required():
    """Under CI (CI=true, as the test command runs) a check without its judge fails."""
    return os.environ.get("CI", "").lower() in ("true", "1")


def require(*programs):
    """Exits with SKIP when one of the external programs (or files) is missing; fails under CI."""
    missing = [p for p in programs if shutil.which(p) is None and not os.path.isfile(p)]
    if missing:
        print("%s: missing: %s" % ("FAIL" if judges_required() else "SKIP", ", ".join(missing)))
        raise SystemExit(1 if judges_required() else SKIP)


def report(failures, what):
    """Prints every failure, or that the case passed; the exit status."""
    for f in failures:
        print("FAIL " + f.replace("\n", "\n  "))
    if not failures:
        print("ok %s" % what)
    return 1 if failures else 0
