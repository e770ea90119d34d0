#!/bin/sh
# run_kolvex.sh KOLVEX: the real program must end at once with code 0 and show nothing,
# with a display (an X server, or Xvfb started here) and without one.
kolvex=$1
fail() { echo "FAIL: $*"; exit 1; }

check() {
  label=$1; shift
  out=$(mktemp); err=$(mktemp)
  "$@" >"$out" 2>"$err"; rc=$?
  [ "$rc" -eq 124 ] && fail "$label: still running after 5 s (a message box is up?)"
  [ "$rc" -eq 0 ] || fail "$label: exit code $rc"
  [ -s "$out" ] && fail "$label: wrote to standard output: $(cat "$out")"
  [ -s "$err" ] && fail "$label: wrote to standard error: $(cat "$err")"
  rm -f "$out" "$err"
  echo "ok: $label"
}

check "no display" env -u DISPLAY -u WAYLAND_DISPLAY timeout 5 "$kolvex"

if [ -n "$DISPLAY" ]; then
  check "display $DISPLAY" timeout 5 "$kolvex"
elif command -v xvfb-run >/dev/null 2>&1; then
  check "xvfb" xvfb-run -a timeout 5 "$kolvex"
else
  case "$CI" in [Tt][Rr][Uu][Ee] | 1) fail "no display and no xvfb-run under CI" ;; esac
  echo "no display and no xvfb-run: skipped"
  exit 77
fi
