#!/usr/bin/env bash
# Installs what is needed, builds the workstation, makes the demo data folder
# on first use and starts VANTORViewer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target VANTORViewer vantor_data $( [ -x scripts/make-demo.sh ] && echo vantor-make-ct )
if [ -x scripts/make-demo.sh ]; then
  scripts/make-demo.sh build/default
fi
program=build/default/bin/VANTORViewer
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display found; starting under xvfb-run"
  exec xvfb-run -a "$program" "$@"
fi
exec "$program" "$@"
