#!/usr/bin/env bash
# Installs what is needed, builds the workstation, makes the demo data folder
# on first use and starts VANTORViewer with the folder chooser pointed at it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target VANTORViewer vantor_data vantor-make-ct
demo=$(scripts/make-demo.sh build/default | tail -n 1)

# The reader's settings file: made from the shipped one, its last folder
# preset to the demo folder until the reader opens another.
config="${XDG_CONFIG_HOME:-$HOME/.config}/VANTORViewer/VANTOR_Viewer.ini"
if [ ! -f "$config" ]; then
  mkdir -p "$(dirname "$config")"
  cp build/default/bin/VANTOR_Viewer.ini "$config"
fi
if ! grep -qiE '^[[:space:]]*TopFolder[[:space:]]*=[[:space:]]*[^[:space:]]' "$config"; then
  if grep -qiE '^[[:space:]]*TopFolder[[:space:]]*=' "$config"; then
    sed -i -E "s|^[[:space:]]*[Tt][Oo][Pp][Ff][Oo][Ll][Dd][Ee][Rr][[:space:]]*=.*|TopFolder=$demo|" "$config"
  else
    printf '[VANTOR_Viewer]\nTopFolder=%s\n' "$demo" >> "$config"
  fi
fi
echo "run: demo data folder $demo"

program=build/default/bin/VANTORViewer
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display found; starting under xvfb-run"
  exec xvfb-run -a "$program" "$@"
fi
exec "$program" "$@"
