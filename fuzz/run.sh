#!/bin/sh
# Runs every fuzzer for a while and prints what each did.
#
#   fuzz/run.sh smoke SECONDS BUILD   each fuzzer over its committed seeds, from a fresh corpus
#   fuzz/run.sh long SECONDS BUILD    each fuzzer, growing the corpus kept in BUILD/corpus
#
# Logs go to BUILD/logs, crashing inputs to BUILD/findings. Fails when any fuzzer found something.
set -u
mode=$1
seconds=$2
build=$3
here=$(cd "$(dirname "$0")" && pwd)
fuzzers="fuzz_settings fuzz_scenario fuzz_session fuzz_log"

mkdir -p "$build/logs" "$build/findings"
summary="$build/logs/$mode-summary.txt"
printf '%-16s %10s %8s %6s %s\n' fuzzer executions exec/s new result >"$summary"
status=0
for fuzzer in $fuzzers; do
    if [ "$mode" = long ]; then
        corpus="$build/corpus/$fuzzer"
    else
        corpus="$build/smoke/$fuzzer"
        rm -rf "$corpus"
    fi
    mkdir -p "$corpus"
    dict=""
    if [ -f "$here/dictionaries/$fuzzer.dict" ]; then
        dict="-dict=$here/dictionaries/$fuzzer.dict"
    fi
    # A session needs room for its panels, items and steps from the start.
    options=""
    if [ "$fuzzer" = fuzz_session ]; then
        options="-len_control=0 -max_len=1024"
    fi
    log="$build/logs/$mode-$fuzzer.log"
    # New inputs go to the first folder only: the committed seeds stay as they are.
    "$build/fuzz/$fuzzer" "$corpus" "$here/corpus/$fuzzer" $dict $options \
        -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$fuzzer-" >"$log" 2>&1
    code=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    added=$(sed -n 's/^stat::new_units_added: *//p' "$log")
    result=clean
    if [ $code -ne 0 ]; then
        result="FOUND (exit $code, see $log)"
        status=1
    fi
    printf '%-16s %10s %8s %6s %s\n' "$fuzzer" "${runs:-?}" "${speed:-?}" "${added:-?}" \
        "$result" >>"$summary"
    if [ $code -ne 0 ]; then
        grep -E 'ERROR|SUMMARY|fuzz_[a-z_]+: |Test unit written' "$log" | head -n 20
    fi
done
cat "$summary"
exit $status
