#!/usr/bin/env bash
# Makes the demo data folder (synthetic chest CT: three patients, one with two
# studies, one study with several series including a single-file and an 8-bit
# series) once, with the built vantor-make-ct, and prints its path.
#   scripts/make-demo.sh BUILD_FOLDER        (for example build/default)
# The data folder is .cache/demo/chest-ct; its ground truth (labels and
# findings by zone) lies beside it in .cache/demo/chest-ct-truth, outside the
# data folder, where every sub-folder would be read as a patient.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 1 ]; then
  echo "usage: scripts/make-demo.sh BUILD_FOLDER" >&2
  exit 2
fi
build=$1
case "$build" in /*) ;; *) build="$top/$build" ;; esac
demo="$top/.cache/demo"
data="$demo/chest-ct"
if [ -d "$data" ]; then
  echo "$data"
  exit 0
fi
program="$build/bin/vantor-make-ct"
if [ ! -x "$program" ]; then
  echo "make-demo: $program is missing; build the target vantor-make-ct first" >&2
  exit 1
fi
# Written aside and moved into place, so an interrupted run leaves no half folder behind.
mkdir -p "$demo"
work=$(mktemp -d "$demo/.making.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$program" --demo --quiet --truth "$work/chest-ct-truth" "$work/chest-ct"
rm -rf "$demo/chest-ct-truth"
mv "$work/chest-ct-truth" "$demo/chest-ct-truth"
mv "$work/chest-ct" "$data"
echo "$data"
