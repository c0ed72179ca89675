#!/usr/bin/env bash
# The Debian package as a user gets it: unpacked, its converter writes the
# expected program, its manual pages name every option the converter takes,
# its desktop entry finds its icon and takes a file of the types its MIME
# definition gives the usual extensions, its dependencies resolve, and lintian
# reports no error.
#   deb_test.sh <package.deb>
set -euo pipefail
deb=$(realpath "$1")
project=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "deb_test: $*" >&2; exit 1; }

dpkg-deb -x "$deb" "$work/root"
usr=$work/root/usr

cp "$project/examples/board.gbr" "$work/"
"$usr/bin/drelvo" "$work/board.gbr" >/dev/null
cmp "$work/board.gbr.tap" "$project/tests/golden/board.mm.jobb.tap" \
  || fail "the packaged drelvo does not write tests/golden/board.mm.jobb.tap"

# Every option of the usage text, short and long, in both languages' pages
# (as roff writes them, every dash escaped).
options=$("$usr/bin/drelvo" -s | iconv -f CP1250 -t UTF-8 | sed -n 's/^\t\(--*[^ ]*\).*/\1/p')
[ "$(wc -l <<<"$options")" -ge 20 ] || fail "the usage text lists too few options: $options"
for page in man/man1/drelvo.1.gz man/hu/man1/drelvo.1.gz; do
  [ -f "$usr/share/$page" ] || fail "missing $page"
  text=$(zcat "$usr/share/$page")
  for option in $options; do
    grep -qF -- "${option//-/\\-}" <<<"$text" || fail "$page does not describe $option"
  done
done
for page in man/man1/kemlor.1.gz man/hu/man1/kemlor.1.gz; do
  [ -f "$usr/share/$page" ] || fail "missing $page"
done

icon=$(sed -n 's/^Icon=//p' "$usr/share/applications/kemlor.desktop")
compgen -G "$usr/share/icons/hicolor/*/apps/$icon.*" >/dev/null || fail "no icon $icon for the desktop entry"
# The desktop entry takes a file and declares its types; the package's MIME
# definition gives every usual extension one of them.
desktop=$usr/share/applications/kemlor.desktop
grep -q '^Exec=kemlor %f$' "$desktop" || fail "the desktop entry takes no file"
types=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' ')
[ -n "$types" ] || fail "the desktop entry declares no MIME type"
mkdir -p "$work/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$usr/share/mime/packages/kemlor.xml" "$work/mime/packages/" \
  || fail "no MIME definition in the package"
update-mime-database "$work/mime" 2>/dev/null || fail "the MIME definition does not load"
for type in $types; do
  [ -f "$work/mime/$type.xml" ] || fail "the MIME definition lacks $type"
done
for extension in gbr gtl gbl gbo gto gko drl xln drd exc ncd; do
  grep -qE "^[0-9]+:($(tr ' ' '|' <<<"${types% }")):\*\.$extension\$" "$work/mime/globs2" \
    || fail "no MIME type of the desktop entry for .$extension"
done

grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$usr/share/doc/drelvo/copyright" || fail "no machine-readable copyright file"

# Every package named in Depends exists in the archive in a version that fits.
apt-get install --simulate --quiet=2 "$deb" >/dev/null || fail "the dependencies do not resolve"

lintian --fail-on error "$deb"
