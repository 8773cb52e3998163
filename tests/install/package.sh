#!/bin/sh
# Builds the Debian package from the built tree and checks what it holds and what it needs, then runs
# the commands from the unpacked package.
#   package.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/ondrix-pde_*_*.deb)

# What Debian's own checker calls an error would keep the package out of any archive. Lintian warns when
# run as root, as the tests are here.
command -v lintian >/dev/null || fail "lintian is not installed"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian"; }

dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
bundle=./usr/lib/ondrix-pde/OndrixJobHandling.plugin/Contents
for f in ./usr/bin/ondrix-pde-host ./usr/bin/ondrix-mfp-sim ./usr/sbin/ondrix-queue-setup \
         ./usr/share/doc/ondrix-pde/copyright ./usr/share/doc/ondrix-pde/changelog.gz \
         ./usr/share/man/man1/ondrix-pde-host.1.gz ./usr/share/man/man1/ondrix-mfp-sim.1.gz \
         ./usr/share/man/man8/ondrix-queue-setup.8.gz \
         ./usr/share/cups/model/ondrix/demo-filing.ppd ./usr/share/cups/model/ondrix/demo-directory.ppd \
         ./usr/share/cups/model/ondrix/demo-nofiling.ppd ./usr/share/cups/model/ondrix/demo-printsystem.ppd \
         $bundle/Linux/libondrix-pde.so $bundle/Resources/JobControl4.ui $bundle/Resources/JobControl5.ui \
         $bundle/Resources/listfiles2.xml $bundle/Resources/space.png \
         $bundle/Resources/locale/de/LC_MESSAGES/ondrix-pde.mo $bundle/Resources/locale/ja/LC_MESSAGES/ondrix-pde.mo; do
  grep -qx "$f" "$work/contents" || fail "the package lacks $f"
done
if grep -qx ./usr/bin/ondrix-print-dialog "$work/contents"; then
  for f in ./usr/share/applications/ondrix-print-dialog.desktop \
           ./usr/share/icons/hicolor/scalable/apps/ondrix-print-dialog.svg ./usr/share/man/man1/ondrix-print-dialog.1.gz; do
    grep -qx "$f" "$work/contents" || fail "the package lacks $f"
  done
fi
if grep -qx ./usr/bin/ondrix-job-agent "$work/contents"; then
  for f in ./etc/xdg/autostart/ondrix-job-agent.desktop ./usr/share/man/man1/ondrix-job-agent.1.gz; do
    grep -qx "$f" "$work/contents" || fail "the package lacks $f"
  done
fi
# Nothing of the build or the tests comes along.
! grep -E '\.(a|h|cpp)$|_test$|/include/' "$work/contents" || fail "the package holds build or test files"

# The libraries the programs link, computed by dpkg-shlibdeps.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libcups2 libssl3 libcurl4 libplist3 libpugixml1v5; do
  echo "$depends" | grep -q "$lib " || fail "Depends lacks $lib: $depends"
done

dpkg-deb -x "$deb" "$work/root"
file "$work/root/usr/bin/ondrix-pde-host" | grep -q "ELF.*, stripped" || fail "ondrix-pde-host is no stripped program"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" LANG=C.UTF-8 LANGUAGE= LC_ALL=
"$work/root/usr/bin/ondrix-pde-host" --version | grep -qx "ondrix-pde-host [0-9.]*" || fail "--version"
"$work/root/usr/sbin/ondrix-queue-setup" --version | grep -qx "ondrix-queue-setup [0-9.]*" || fail "ondrix-queue-setup"
"$work/root/usr/bin/ondrix-pde-host" view restore save print | grep -qx "shouldPrint=YES" || fail "the unpacked host"
