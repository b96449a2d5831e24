#!/bin/sh
# Builds the two Debian packages from this build, checks what they hold and
# depend on and what Debian's tools say of them, unpacks them into a scratch
# root, finds statement files typed by the MIME database built there, and
# runs the bil-check it holds on a real statement file.
set -eu
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
wizard=$(ls "$work"/bil_*.deb)
checker=$(ls "$work"/bil-check_*.deb)

# The wizard pulls Qt with its SVG icon support and Czech texts; the checker
# no Qt at all, and takes over what bil 0.1 held.
depends=$(dpkg-deb -f "$wizard" Depends)
for p in libqt6widgets6 libqt6svg6 qt6-translations-l10n fonts-dejavu-extra; do
  echo "$depends" | grep -q "$p" || fail "bil does not depend on $p"
done
depends=$(dpkg-deb -f "$checker" Depends)
[ -n "$depends" ] || fail "bil-check: dependencies not computed"
case $depends in *qt*) fail "bil-check depends on Qt: $depends" ;; esac
for field in Breaks Replaces; do
  [ "$(dpkg-deb -f "$checker" $field)" = "bil (<< 0.2)" ] || fail "bil-check: $field"
done
dpkg-deb -c "$wizard" | awk '!/\/$/ { print $6 }' | sort >"$work/wizard.list"
dpkg-deb -c "$checker" | awk '!/\/$/ { print $6 }' | sort >"$work/checker.list"
both=$(comm -12 "$work/wizard.list" "$work/checker.list")
[ -z "$both" ] || fail "in both packages: $both"

# One version everywhere a user reads it.
version=$(dpkg-deb -f "$wizard" Version)
for page in "$src"/packaging/man/*.1 "$src"/packaging/man/cs/*.1; do
  grep -q "^\.TH .* \"Bil $version\"" "$page" || fail "$page does not name Bil $version"
done
head -1 "$src/packaging/changelog" | grep -qF "($version)" || fail "changelog does not start with $version"
grep -qF "<release version=\"$version\"" "$src/packaging/cz.example.bil.metainfo.xml" ||
  fail "metainfo has no release $version"

root=$work/root
dpkg-deb -x "$wizard" "$root"
dpkg-deb -x "$checker" "$root"
for f in bin/bil share/applications/cz.example.bil.desktop share/mime/packages/bil.xml \
         share/icons/hicolor/scalable/apps/bil.svg share/metainfo/cz.example.bil.metainfo.xml \
         share/man/man1/bil.1.gz share/man/cs/man1/bil.1.gz \
         share/doc/bil/copyright share/doc/bil/changelog.gz \
         bin/bil-check share/man/man1/bil-check.1.gz share/man/cs/man1/bil-check.1.gz \
         share/doc/bil-check/copyright share/doc/bil-check/changelog.gz; do
  [ -s "$root/usr/$f" ] || fail "missing: /usr/$f"
done
for size in 16 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x$size/apps/bil.png" | grep -q "$size x $size" ||
    fail "no $size px icon"
done
desktop-file-validate "$root/usr/share/applications/cz.example.bil.desktop"
appstreamcli validate --pedantic --no-net "$root/usr/share/metainfo/cz.example.bil.metainfo.xml" >/dev/null
lintian --pedantic --fail-on error,warning "$wizard" "$checker" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log"; exit 1; }

# The file manager's view: statement files in either letter case.
update-mime-database "$root/usr/share/mime"
mkdir "$work/files" "$work/home"
for name in x.bil x.BIL; do
  cp "$src/docs/demo.bil" "$work/files/$name"
  type=$(XDG_DATA_HOME="$work/home" XDG_DATA_DIRS="$root/usr/share" \
         gio info -a standard::content-type "$work/files/$name" | sed -n 's/^ *standard::content-type: //p')
  [ "$type" = application/x-bil ] || fail "$name is typed '$type'"
done

cd "$src"
rc=0
"$root/usr/bin/bil-check" --text "$work/texts" docs/demo.bil >"$work/out" || rc=$?
[ "$rc" -eq 1 ] || fail "bil-check exit status $rc"
head -n 1 "$work/out" | grep -qx 'docs/demo.bil: obsahuje chyby'
grep -qx 'Souborů: 1, v pořádku: 0, s chybami: 1, nečitelných: 0' "$work/out"
[ -s "$work/texts/demo.txt" ]
echo "packages built, valid, typed statement files, and their bil-check runs"
