#!/bin/bash
# Runs every libFuzzer program of a KORVANE_FUZZ build for SECONDS each (default 60). New inputs
# go to BUILD/corpus/<target>, crashes to BUILD/found/; the committed corpus and the seeds are read
# only. Prints the executions of each target and exits 1 when one found a failing input: fix it,
# then copy the input into fuzz/corpus/<target>/, where the replay test keeps it fixed.
#   fuzz/run.sh BUILD [SECONDS] [TARGET...]
set -u
build=$1
seconds=${2:-60}
shift $(( $# > 1 ? 2 : 1 ))
source_dir=$(cd "$(dirname "$0")" && pwd)
list=$build/fuzz-targets.txt
[ -f "$list" ] || { echo "no $list: configure a KORVANE_FUZZ build first"; exit 2; }
mkdir -p "$build/found"
failed=0
printf '%-12s %10s %8s %8s  %s\n' target executions "exec/s" corpus result
while read -r target seeds; do
    if [ $# -gt 0 ] && [[ " $* " != *" $target "* ]]; then continue; fi
    work=$build/corpus/$target
    mkdir -p "$work"
    log=$build/found/$target.log
    (cd "$build" && "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$build/found/$target-" \
        "$work" "$source_dir/corpus/$target" $seeds) >"$log" 2>&1
    rc=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$')
    size=$(ls "$work" | wc -l)
    if [ $rc -eq 0 ]; then result=clean; else result="FAILED (see $log)"; failed=1; fi
    printf '%-12s %10s %8s %8s  %s\n' "$target" "${runs:-?}" "${rate:-?}" "$size" "$result"
done <"$list"
exit $failed
