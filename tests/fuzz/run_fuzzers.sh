#!/bin/sh
# Runs each libFuzzer target in turn over its seed corpus and prints, per target, the
# executions, the coverage reached and the inputs that failed (crash, hang, out of memory, leak).
#
# usage: tests/fuzz/run_fuzzers.sh [build folder] [seconds per target] [runs per target] [target...]
#   defaults: build-fuzz, 1800, 10000000, every target
# The build folder is configured with clang, -DSPLICORA_FUZZ=ON -DSPLICORA_SANITIZE=ON.
# Findings and the grown corpus go to <build>/fuzz-work/<target>/; the seed corpus is not changed.
# Exit status: 0 when no target failed.

set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build-fuzz}
seconds=${2:-1800}
runs=${3:-10000000}
[ $# -gt 3 ] && shift 3 || set --
targets=${*:-"fuzz_asf_header fuzz_asf_packets fuzz_reader fuzz_metadata_editor fuzz_ini"}

corpus_of() {
    case $1 in
        fuzz_asf_header) echo "$here/corpus/asf_header $here/corpus/asf_file" ;;
        fuzz_ini) echo "$here/corpus/ini" ;;
        *) echo "$here/corpus/asf_file" ;;
    esac
}

# The editor and language targets write their input to a file: memory is faster than disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

summary=""
failed=0
for t in $targets; do
    bin=$build/bin/$t
    if [ ! -x "$bin" ]; then
        echo "$t: not built ($bin)" >&2
        failed=1
        continue
    fi
    work=$build/fuzz-work/$t
    mkdir -p "$work/corpus" "$work/findings"
    log=$work/fuzz.log
    echo "== $t: up to $runs runs or $seconds s; log $log"
    # shellcheck disable=SC2046
    "$bin" -runs="$runs" -max_total_time="$seconds" -rss_limit_mb=512 -malloc_limit_mb=512 \
        -timeout=1 -print_final_stats=1 -artifact_prefix="$work/findings/" \
        "$work/corpus" $(corpus_of "$t") >"$log" 2>&1
    status=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    secs=$(sed -n 's/^stat::.*//; s/^#[0-9]*.*exec\/s: \([0-9]*\).*/\1/p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    corp=$(grep -o 'corp: [0-9]*/[0-9A-Za-z]*' "$log" | tail -n 1 | cut -d' ' -f2)
    found=$(ls "$work/findings" 2>/dev/null | wc -l)
    [ "$status" -ne 0 ] || [ "$found" -ne 0 ] && failed=1
    line=$(printf '%-22s executions %10s  exec/s %6s  cov %5s  ft %6s  corpus %-12s failed inputs %s (exit %s)' \
        "$t" "${execs:-?}" "${secs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$found" "$status")
    echo "$line"
    [ "$found" -ne 0 ] && ls "$work/findings" | sed 's/^/    /'
    summary="$summary$line
"
done
echo
echo "== summary"
printf '%s' "$summary"
exit $failed
