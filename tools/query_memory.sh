#!/bin/sh
# The memory one folder query costs the host: peak resident size of a dialog that only opens, and of one
# that asks the simulated printer for its folders, for the largest replies a printer could send.
#   tools/query_memory.sh [BUILD]     (needs GNU time, Debian package "time")
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
host=$build/host/ondrix-pde-host
sim=$build/sim/ondrix-mfp-sim
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" no_proxy='*'
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

peak() {  # peak KiB of the host running the steps given
  /usr/bin/time -f %M -o "$work/kib" "$host" --queue Mem "$@" >/dev/null 2>&1 || true
  cat "$work/kib"
}

# folders N NAMELENGTH: a folders file of N names of that length
folders() {
  awk -v n="$1" -v len="$2" 'BEGIN { s = sprintf("%*s", len, ""); gsub(/ /, "x", s);
    for (i = 0; i < n; i++) printf "%06d%s\n", i, substr(s, 7) }' >"$work/folders"
}

query() {  # query LABEL: a new queue's dialog fetches the folders the simulator serves
  rm -rf "$XDG_CONFIG_HOME"
  "$sim" --port 0 --max-seconds 60 --folders "$work/folders" >"$work/port" &
  simulator=$!
  sleep 1
  port=$(sed -n 's/^port=//p' "$work/port")
  kib=$(peak view type printersAddressEditText "127.0.0.1:$port" click getFolderNameButton)
  kill "$simulator" 2>/dev/null || true
  wait "$simulator" 2>/dev/null || true
  echo "$1: peak $((kib / 1024)) MiB, $(((kib - idle) / 1024)) MiB above the idle dialog"
}

idle=$(peak view)
echo "idle dialog: peak $((idle / 1024)) MiB"
folders 10000 700 && query "10,000 folders of 700-byte names (8.2 MB reply, accepted)"
folders 10001 10 && query "10,001 folders (refused)"
folders 1000 8000 && query "1,000 folders of 8,000-byte names (8.1 MB reply, accepted)"
