#!/bin/sh
# Every text of the windows (tr() in host/ and the Qt toolkit) has a finished translation in every .ts file:
# lupdate brings a copy of each file up to date with the sources (a new text comes in unfinished, a vanished
# one goes), then lrelease counts what is finished.
# Usage: window_texts_complete.sh LUPDATE LRELEASE SOURCE_DIR
set -eu
lupdate=$1
lrelease=$2
src=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ts in "$src"/host/translations/*.ts; do
  copy="$work/$(basename "$ts")"
  cp "$ts" "$copy"
  "$lupdate" -silent -no-obsolete -locations none "$src/host" "$src/src/toolkits/qt" -ts "$copy"
  report=$("$lrelease" "$copy" -qm "$work/check.qm")
  if ! echo "$report" | grep -q "(\([0-9]*\) finished and 0 unfinished)" || echo "$report" | grep -q untranslated; then
    echo "$(basename "$ts") lacks translations (run lupdate on host/ and src/toolkits/qt/, then translate):"
    echo "$report"
    grep -B2 'type="unfinished"' "$copy" | grep "<source>" || true
    status=1
  fi
done
exit $status
