#!/bin/sh
# Preferences under stress: builds the stress tool in BUILD (default build) and prints its figures.
#   tools/stress_prefs.sh [BUILD] [PROCESSES SAVES KILLS]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
[ $# -gt 0 ] && shift
ninja -C "$build" -j2 ondrix-stress-prefs >/dev/null
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(uname -m), $(nproc) cores"
exec "$build/tools/ondrix-stress-prefs" "$@"
