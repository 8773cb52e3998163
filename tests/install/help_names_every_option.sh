#!/bin/sh
# Every option a program's manual page names is also named by its --help, so that a user who reads one
# finds the other complete. Each page in dist/man/ must belong to a program the build made.
#   help_names_every_option.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1
source=$2
fail=0
for page in "$source"/dist/man/*.[18]; do
  program=$(basename "$page" | sed 's/\.[18]$//')
  binary=$(find "$build" -type f -name "$program" -perm -u+x -not -path '*/CMakeFiles/*' | head -n 1)
  if [ -z "$binary" ]; then
    echo "FAIL: no program $program for its manual page" >&2
    fail=1
    continue
  fi
  help=$(QT_QPA_PLATFORM=offscreen "$binary" --help 2>&1) || { echo "FAIL: $program --help failed" >&2; fail=1; continue; }
  # Options are written \-\-name in the page's roff.
  for option in $(grep -o '\\-\\-[a-z][a-z0-9\\-]*' "$page" | sed 's/\\//g' | sort -u); do
    printf '%s\n' "$help" | grep -q -- "$option\b" || { echo "FAIL: $program --help lacks $option" >&2; fail=1; }
  done
done
exit $fail
