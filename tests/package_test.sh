#!/bin/sh
# Builds the Debian package from this build, checks what it holds and what
# Debian's tools say of it, unpacks it into a scratch folder and runs the
# bil-check it holds on a real statement file.
set -eu
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/bil_*.deb)
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' ||
  { echo "dependencies not computed"; exit 1; }

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in bin/bil bin/bil-check share/applications/bil.desktop \
         share/icons/hicolor/scalable/apps/bil.svg share/icons/hicolor/48x48/apps/bil.png \
         share/metainfo/cz.example.bil.metainfo.xml share/doc/bil/copyright \
         share/doc/bil/changelog.gz share/man/man1/bil-check.1.gz; do
  [ -s "$root/usr/$f" ] || { echo "missing: /usr/$f"; exit 1; }
done
desktop-file-validate "$root/usr/share/applications/bil.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/cz.example.bil.metainfo.xml" >/dev/null
lintian --fail-on error,warning "$deb" 2>/dev/null

cd "$src"
rc=0
"$root/usr/bin/bil-check" --text "$work/texts" docs/demo.bil >"$work/out" || rc=$?
[ "$rc" -eq 1 ] || { echo "bil-check exit status $rc"; exit 1; }
head -n 1 "$work/out" | grep -qx 'docs/demo.bil: obsahuje chyby'
grep -qx 'Souborů: 1, v pořádku: 0, s chybami: 1, nečitelných: 0' "$work/out"
[ -s "$work/texts/demo.txt" ]
echo "package built, valid, and its bil-check runs"
