#!/usr/bin/env bash
# Renders the PNG sizes of the application icon from its SVG (needs
# rsvg-convert, Debian package librsvg2-bin). Run by hand when the SVG changes;
# the PNGs are kept in the repository so that a build needs no SVG renderer.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$here/org.vantor.VANTORViewer.svg" -o "$here/org.vantor.VANTORViewer-$size.png"
done
