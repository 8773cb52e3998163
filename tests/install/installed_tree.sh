#!/bin/sh
# Installs the built tree into a scratch prefix, moves the prefix elsewhere, hides the build folder and
# runs the demo with the installed programs: nothing may depend on where it was built or installed.
#   installed_tree.sh BUILD_DIR SOURCE_DIR
set -eu
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/first/usr" >/dev/null
mv "$work/first/usr" "$work/moved"
p=$work/moved

# The files an installed system needs, each where a Linux program keeps it.
bundle=$(find "$p/lib" -type d -name OndrixJobHandling.plugin -path "*/ondrix-pde/*")
[ -n "$bundle" ] || fail "no bundle in a folder of our own under lib"
for f in bin/ondrix-pde-host bin/ondrix-mfp-sim sbin/ondrix-queue-setup \
         share/man/man1/ondrix-pde-host.1.gz share/man/man1/ondrix-mfp-sim.1.gz \
         share/man/man8/ondrix-queue-setup.8.gz \
         share/cups/model/ondrix/demo-filing.ppd share/cups/model/ondrix/demo-nofiling.ppd \
         share/cups/model/ondrix/demo-printsystem.ppd share/cups/model/ondrix/demo-directory.ppd \
         "${bundle#"$p"/}/Contents/Linux/libondrix-pde.so" \
         "${bundle#"$p"/}/Contents/Resources/JobControl4.ui" "${bundle#"$p"/}/Contents/Resources/JobControl5.ui" \
         "${bundle#"$p"/}/Contents/Resources/listfiles2.xml" "${bundle#"$p"/}/Contents/Resources/space.png" \
         "${bundle#"$p"/}/Contents/Resources/locale/de/LC_MESSAGES/ondrix-pde.mo" \
         "${bundle#"$p"/}/Contents/Resources/locale/ja/LC_MESSAGES/ondrix-pde.mo"; do
  [ -f "$p/$f" ] || fail "missing $f"
done
if [ -x "$p/bin/ondrix-print-dialog" ]; then
  for f in share/applications/ondrix-print-dialog.desktop share/icons/hicolor/scalable/apps/ondrix-print-dialog.svg \
           share/man/man1/ondrix-print-dialog.1.gz; do
    [ -f "$p/$f" ] || fail "missing $f"
  done
fi
for page in "$p"/share/man/man1/*.1.gz "$p"/share/man/man8/*.8.gz; do gzip -t "$page" || fail "damaged $page"; done

# The checks run where the build folder is an empty one (a private mount namespace), as after deleting it.
# Where namespaces are not allowed (some containers) they run beside it: the relocated prefix still shows
# that no installed path is compiled in.
cat >"$work/checks.sh" <<CHECKS
set -eu
[ -z "\$(ls -A "$build")" ] || echo "note: the build folder stays visible" >&2
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" LANGUAGE= LC_ALL= LANG=C.UTF-8
for program in "$p"/bin/* "$p"/sbin/*; do
  "\$program" --version | grep -qx "\${program##*/} [0-9.]*" || { echo "FAIL: \$program --version"; exit 1; }
done
"$source/tools/demo.sh" "$p" >"$work/demo.out"
grep -qx "shouldPrint=YES" "$work/demo.out" || { echo "FAIL: the demo job was not approved"; exit 1; }
grep -q '"jobNameEditText":{[^}]*"Quarterly report"' "$work/demo.out" || { echo "FAIL: the held job name did not come back"; exit 1; }
LANGUAGE=de "$p/bin/ondrix-pde-host" name | grep -qx "panelName=Auftragsverwaltung" || { echo "FAIL: no German"; exit 1; }
LANGUAGE=ja "$p/bin/ondrix-pde-host" name | grep -qx "panelName=ジョブ処理" || { echo "FAIL: no Japanese"; exit 1; }
CHECKS
if unshare -rm true 2>/dev/null; then
  unshare -rm sh -c "mount -t tmpfs none '$build' && sh '$work/checks.sh'" || { cat "$work/demo.out"; fail "see above"; }
else
  sh "$work/checks.sh" || { cat "$work/demo.out"; fail "see above"; }
fi
