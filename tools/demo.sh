#!/bin/sh
# Walks one job through the demo printer: a simulated folder service on a loopback port, the stand-in
# dialog with the document-filing demo model, retention on, a custom folder fetched from the device, a
# held login name, print. Shows the job options the printer's filter would receive and the summary.
# Preferences and the reply file live in a scratch folder, so the user's own stay untouched.
set -eu

# Takes a build folder or an installed prefix.
tree=${1:?usage: tools/demo.sh BUILD_DIR|PREFIX}
if [ -x "$tree/bin/ondrix-pde-host" ]; then
  host=$tree/bin/ondrix-pde-host
  sim=$tree/bin/ondrix-mfp-sim
else
  host=$tree/host/ondrix-pde-host
  sim=$tree/sim/ondrix-mfp-sim
fi
work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

export XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

"$sim" --port 0 --max-seconds 60 --folder "Sales" --folder "Legal:protected" --folder "Design" >"$work/sim.out" 2>&1 &
sim_pid=$!
port=""
for _ in $(seq 1 50); do
  port=$(sed -n 's/^port=\([0-9][0-9]*\)$/\1/p' "$work/sim.out" | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the folder service simulator did not start" >&2; cat "$work/sim.out" >&2; exit 1; }

echo "== Folder service simulated on 127.0.0.1:$port; walking one job through the Job Handling panel"
"$host" --settings "$work/job.settings" --job-name "Quarterly report" \
  --device-uri "ipp://127.0.0.1:631/ipp/print" \
  view restore \
  click retentionCheckBox \
  set printersAddressEditText "127.0.0.1:$port" click getFolderNameButton \
  select folderSelectionPopup 4 type folderPasswordEditText 2468 \
  type suspendKeyEditText 1357 \
  type loginNameEditText alice click loginNameButton type passwordEditText "s3cret" \
  click jobNameButton \
  save print summary

echo
echo "== Job options the printer's filter receives (ondrix.print.PrintSettings.*)"
sed 's/^ondrix\.print\.PrintSettings\./  /' "$work/job.settings"

echo
echo "== A new dialog for the same printer remembers what was held (login name masked, job name)"
"$host" --settings "$work/job2.settings" --device-uri "ipp://127.0.0.1:631/ipp/print" view restore dump summary \
  >"$work/second.out"
for name in loginNameEditText loginNameButton jobNameEditText jobNameButton; do
  printf '  %s\n' "$(grep -o "\"$name\":{[^}]*}" "$work/second.out")"
done
grep '^summary:' "$work/second.out" | sed 's/^/  /'
