#!/bin/sh
# Installs the build into a scratch prefix and checks that the program, its
# desktop entry and its icons land in the standard places.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/bil share/applications/bil.desktop \
         share/icons/hicolor/scalable/apps/bil.svg share/icons/hicolor/48x48/apps/bil.png; do
  [ -s "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
done
[ -x "$prefix/bin/bil" ] || { echo "bin/bil is not executable"; exit 1; }
grep -qx 'Categories=Office;Finance;' "$prefix/share/applications/bil.desktop"
grep -qx 'Exec=bil' "$prefix/share/applications/bil.desktop"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/bil.desktop"
fi
echo "installed files in place"
