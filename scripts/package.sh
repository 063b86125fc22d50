#!/usr/bin/env bash
# scripts/package.sh [--install] [BUILD_FOLDER]      (default build/default)
#
# Builds the Debian package vantor-viewer_<version>_<arch>.deb with CPack in
# BUILD_FOLDER/package/, checks it with lintian (no errors allowed) and asks
# apt whether it would install (dependencies found by dpkg-shlibdeps must be
# installable). --install also installs it with apt-get, runs the installed
# program and tools, and removes it again (needs root; it changes the system).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
install_it=no
if [ "${1:-}" = "--install" ]; then
  install_it=yes
  shift
fi
build=${1:-build/default}
case "$build" in /*) ;; *) build="$top/$build" ;; esac

if [ ! -f "$build/CMakeCache.txt" ]; then
  (cd "$top" && cmake --preset default >/dev/null)
fi
cmake --build "$build"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(find "$build/package" -maxdepth 1 -name 'vantor-viewer_*.deb' | head -n 1)
if [ -z "$deb" ]; then
  echo "package: cpack made no vantor-viewer_*.deb" >&2
  exit 1
fi
echo "== package: $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends

echo "== package: lintian"
lintian --fail-on error "$deb"

echo "== package: apt-get install --simulate"
apt-get install --simulate --no-install-recommends "$deb" > "$build/package/simulate.log" 2>&1 || {
  cat "$build/package/simulate.log"
  exit 1
}
grep -q "^Inst vantor-viewer " "$build/package/simulate.log"

if [ "$install_it" = yes ]; then
  echo "== package: apt-get install and remove"
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  test "$(command -v VANTORViewer)" = /usr/bin/VANTORViewer
  /usr/bin/vantor-make-ct --quiet --truth none --slices 2 --matrix 32x32 "$work/ct"
  /usr/bin/zvdicom-dump "$(find "$work/ct" -name '*.dcm' | head -n 1)" > "$work/dump.txt"
  grep -aq "^(0010,0010) PatientName " "$work/dump.txt"
  pkg-config --modversion zvdicom zvipengine
  apt-get remove -y -qq --purge vantor-viewer >/dev/null
  if dpkg-query -W vantor-viewer >/dev/null 2>&1 || [ -e /usr/share/vantor-viewer ] || [ -e /usr/lib/libZVDICOM.so.1 ]; then
    echo "package: files left after removal" >&2
    exit 1
  fi
fi
echo "== package: ok"
