#!/bin/sh
# Renders the scalable icon into the PNG sizes of the hicolor theme
# (desktop/icons/<size>/). Run after changing the SVG; the PNGs are committed.
set -eu
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$size"
  rsvg-convert -w "$size" -h "$size" -o "$size/example.brennick.Tabulon.png" example.brennick.Tabulon.svg
done
