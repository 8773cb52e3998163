#!/bin/sh
# One entry point for a fresh Debian 12 machine, as root:
#   tools/run.sh demo   install what is missing, build, and walk one job through the demo printer
#   tools/run.sh test   install what is missing, build, and run every test (also under the sanitizers)
#   tools/run.sh package  install what is missing, build, and make the Debian package in build/
#   tools/run.sh bench  install what is missing, build optimised, and print the speed table beside its
#                       references (host against curl and /bin/true, cycle against the I/O floor, ...)
#   tools/run.sh fuzz SECONDS [TARGET...]  install what is missing (clang too) and run tools/fuzz.sh
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
packages="g++ cmake ninja-build pkg-config gettext libcups2-dev libssl-dev libicu-dev libpugixml-dev
libcurl4-openssl-dev libexpat1-dev libplist-dev libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
nlohmann-json3-dev libcpp-httplib-dev cups-daemon cups-client dpkg-dev file
qt6-base-dev qt6-tools-dev libqt6opengl6-dev qt6-l10n-tools qt6-translations-l10n xvfb xauth lintian"
# The bench holds the panel against curl and counts instructions with callgrind.
bench_packages="curl valgrind"
# Only the fuzzers are built with clang; the test command replays their corpora with the main compiler.
fuzz_packages="clang libclang-rt-14-dev"

install_missing() {
  missing=""
  for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

build() {  # build DIR [cmake options...]
  dir=$1
  shift
  # A compiler cache, where the machine has one, only saves time: the results are the same.
  launcher=""
  command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
  # shellcheck disable=SC2086
  cmake -S "$top" -B "$dir" -G Ninja $launcher "$@" >/dev/null
  ninja -C "$dir" -j "$jobs"
}

jobs=$(nproc 2>/dev/null || echo 2)
# Several tests spend their time waiting out a printer that never answers; twice as many tests as
# processors keep the processors busy meanwhile.
test_jobs=$((jobs * 2))
case "${1:-}" in
  demo)
    install_missing
    build "$top/build"
    exec "$top/tools/demo.sh" "$top/build"
    ;;
  test)
    install_missing
    # Warnings are errors here, in one build optimised as Release is (a warning only the optimiser finds)
    # and in the sanitizer build; a user's or a distribution's build keeps them as warnings.
    build "$top/build" -DCMAKE_BUILD_TYPE=Release -DONDRIX_WERROR=ON
    (cd "$top/build" && ctest --output-on-failure -j "$test_jobs")
    build "$top/build-sanitize" -DONDRIX_SANITIZE=ON -DONDRIX_BENCH=OFF -DONDRIX_WERROR=ON
    (cd "$top/build-sanitize" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --output-on-failure -j "$test_jobs")
    ;;
  package)
    install_missing
    build "$top/build"
    (cd "$top/build" && cpack -G DEB)
    ;;
  bench)
    packages="$packages $bench_packages"
    install_missing
    # The default build type keeps line information, so that a callgrind profile of a figure names lines.
    build "$top/build-bench" -DONDRIX_BENCH=ON
    shift
    exec "$top/build-bench/bench/ondrix-bench-table" "$@"
    ;;
  fuzz)
    packages="$packages $fuzz_packages"
    install_missing
    shift
    exec "$top/tools/fuzz.sh" "$@"
    ;;
  *)
    echo "usage: tools/run.sh demo|test|package|bench [--rounds=N]|fuzz SECONDS [TARGET...]" >&2
    exit 2
    ;;
esac
