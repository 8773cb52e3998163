#!/bin/sh
# Runs every fuzz target for SECONDS each under ASan and UBSan, two at a time at low priority, and prints
# each one's figures; fuzz/<target>.dict, where there is one, gives libFuzzer the tokens of its input.
# Inputs that crash, leak, take over 2 s or over 512 MiB land in fuzz/crashes/<target>/ (the replay tests
# run them from there once the fault is mended).
#   tools/fuzz.sh SECONDS [TARGET...]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: tools/fuzz.sh SECONDS [TARGET...]}
shift
build=$top/build-fuzz
targets=${*:-"decoders settings_reader folder_reply prefs_loader ui_layout ppd_panel plist_reader"}

CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DONDRIX_FUZZ=ON -DONDRIX_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
programs=""
for t in $targets; do programs="$programs ${t}_fuzz"; done
# shellcheck disable=SC2086
nice ninja -C "$build" -j2 $programs >/dev/null

run() {  # run TARGET: fuzz a working copy of its corpus, keep the log
  t=$1
  work=$build/work/$t
  mkdir -p "$work" "$top/fuzz/crashes/$t"
  cp -n "$top/fuzz/corpus/$t/"* "$work/" 2>/dev/null || true
  status=0
  dict=""
  if [ -f "$top/fuzz/$t.dict" ]; then dict="-dict=$top/fuzz/$t.dict"; fi
  # shellcheck disable=SC2086
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$top/fuzz/lsan.supp \
    nice -n 10 "$build/fuzz/${t}_fuzz" "$work" $dict -max_total_time="$seconds" -timeout=2 -rss_limit_mb=512 \
    -print_final_stats=1 -artifact_prefix="$top/fuzz/crashes/$t/" >"$build/work/$t.log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/work/$t.log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$build/work/$t.log")
  cov=$(grep -o 'cov: [0-9]*' "$build/work/$t.log" | tail -1)
  found=$(ls "$top/fuzz/crashes/$t" | wc -l)
  echo "$t: status $status, ${runs:-?} inputs in ${seconds} s, $cov, peak RSS ${rss:-?} MB, corpus $(ls "$work" | wc -l), crash files $found"
}

set -- $targets
while [ $# -gt 0 ]; do
  run "$1" &
  first=$!
  shift
  if [ $# -gt 0 ]; then
    run "$1" &
    second=$!
    shift
    wait $second || true
  fi
  wait $first || true
done
