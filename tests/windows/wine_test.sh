#!/usr/bin/env bash
# drelvo.exe under wine, held against the golden programs and the Linux build:
# the same program bytes, the same code page 1250 messages on a pipe and in a
# file, the same exit statuses and files left behind; Windows paths with a
# drive letter and backslashes; Unicode on a console whose code page is
# neither 1250 nor UTF-8.
#   wine_test.sh <drelvo.exe> <the Linux drelvo>
set -euo pipefail
exe=$(realpath "$1")
linux=$(realpath "$2")
project=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

failures=0
fail() { echo "wine_test: $*" >&2; failures=$((failures + 1)); }

# Nothing to carry beside it: only libraries every Windows has.
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort | tr '\n' ' ')
[ "$imports" = "kernel32.dll msvcrt.dll shell32.dll " ] || fail "drelvo.exe needs libraries besides the system's: $imports"

# The first start builds the prefix and says so; later ones are quiet.
wine "$exe" -s >/dev/null 2>&1 || true

# The options a golden file's name spells: <board>.<unit>.<direction>[.<settings>].tap,
# the offsets and lengths cut to the whole millimetres they stand for.
golden_args() {
    local token x
    for token in $(tr . ' ' <<<"${1#*.}"); do
        case $token in
        mm | jobb) ;;
        coll) printf '%s ' -m coll ;;
        bal) printf '%s ' -f bal ;;
        x*y*) x=${token#x}; printf '%s ' -x "${x%y*}" -y "${token#*y}" ;;
        [peah][0-9]*) printf '%s ' "-${token:0:1}" "${token:1}" ;;
        *) return 1 ;;
        esac
    done
}

for golden in "$project"/tests/golden/*.tap; do
    name=$(basename "$golden" .tap)
    board=${name%%.*}.gbr
    if ! args=$(golden_args "$name"); then
        fail "$name: a setting the name spells is unknown"
        continue
    fi
    dir=$work/golden/$name
    mkdir -p "$dir"
    cp "$project/examples/$board" "$dir/"
    # shellcheck disable=SC2086 # the options split into words
    if ! (cd "$dir" && wine "$exe" $args "$board" >out 2>err); then
        fail "$name: exit status not 0: $(cat "$dir/err")"
    fi
    cmp -s "$dir/$board.tap" "$golden" || fail "$name: the program differs from tests/golden/$name.tap"
    [ ! -s "$dir/out" ] && [ ! -s "$dir/err" ] || fail "$name: said something: $(cat "$dir/out" "$dir/err")"
done

# What each run starts from: boards, a drill file of three bits, a file of a
# name beyond ASCII, a broken board, a directory, and what an earlier run left.
fixture=$work/fixture
mkdir -p "$fixture/mappa.gbr"
cp "$project/examples/board.gbr" "$fixture/"
cp "$project/examples/board.gbr" "$fixture/fúró.gbr"
printf 'régi program\r\n' >"$fixture/board.gbr.tap"
printf '%%FSLAX24Y24*%%\n%%ADD10C,0.8*%%\nD10*\nX1Y1D03*\nXQ1D03*\nM02*\n' >"$fixture/bad.gbr"
printf 'M48\nMETRIC\nT1C0.8\nT2C1.0\nT3C3.2\n%%\nT1\nX10.0Y5.0\nX3.0Y40.0\nT2\nX25.0Y12.0\nT3\nX7.0Y7.0\nM30\n' \
    >"$fixture/drill.drl"
printf 'régi\r\n' >"$fixture/drill.drl.T9.tap"

# Runs one program in its own copy of the fixture, its output through a pipe
# and its diagnostics into a file, the program's own name (in the usage text)
# taken out of both; prints the exit status.
run_in_copy() {
    local program=$1 invoked=$2 tree=$3
    shift 3
    rm -rf "$tree"
    cp -r "$fixture" "$tree"
    (cd "$tree" && $program "$@" 2>"$tree.err" | cat >"$tree.out"; echo "${PIPESTATUS[0]}")
    INVOKED=$invoked perl -pi -e 's/\Q$ENV{INVOKED}\E/drelvo/g' "$tree.out" "$tree.err"
}

# Both programs, the same arguments: the same status, bytes and files.
same_as_linux() {
    local label=$1
    shift
    local linux_status windows_status
    linux_status=$(run_in_copy "$linux" "$linux" "$work/linux" "$@")
    windows_status=$(run_in_copy "wine $exe" "Z:${exe//\//\\}" "$work/windows" "$@")
    [ "$linux_status" = "$windows_status" ] || fail "$label: exit status $windows_status, on Linux $linux_status"
    cmp -s "$work/linux.out" "$work/windows.out" || fail "$label: the output differs: $(cat "$work/windows.out")"
    cmp -s "$work/linux.err" "$work/windows.err" || fail "$label: the diagnostics differ: $(cat "$work/windows.err")"
    diff -r "$work/linux" "$work/windows" >/dev/null || fail "$label: the files left differ"
}

same_as_linux "the example board over an earlier program" board.gbr
same_as_linux "long options spelled in UTF-8" --mértékegység coll --forgásirány bal board.gbr
same_as_linux "a name beyond ASCII" fúró.gbr
same_as_linux "the usage text" -s
same_as_linux "no file named" -m mm
same_as_linux "a bad option value" -p sok board.gbr
same_as_linux "a missing option value" board.gbr -x
same_as_linux "a value out of range" -y 2000 board.gbr
same_as_linux "a missing file" nincs.gbr
same_as_linux "a directory for a board" mappa.gbr
same_as_linux "a broken board" bad.gbr
same_as_linux "a program per bit, the stale one removed" -t fájlonként drill.drl
same_as_linux "one program with tool changes" -t m6 drill.drl

# A Windows path: drive letter, backslashes. The program replaces the old one
# with nothing left aside; a program per bit removes the stale bit beside the
# drill file, not in the working directory.
dir=$work/drive
cp -r "$fixture" "$dir"
windows_dir="Z:${dir//\//\\}"
(cd / && wine "$exe" "$windows_dir\\board.gbr" >"$work/drive.out" 2>&1) || fail "drive letter: $(cat "$work/drive.out")"
cmp -s "$dir/board.gbr.tap" "$project/tests/golden/board.mm.jobb.tap" || fail "drive letter: the program differs"
[ -z "$(find "$dir" -name '*.tmp')" ] || fail "drive letter: a file was left aside"
(cd / && wine "$exe" -t fájlonként "$windows_dir\\drill.drl" >"$work/drive.out" 2>&1) ||
    fail "drive letter, a program per bit: $(cat "$work/drive.out")"
bits=$(cd "$dir" && echo drill.drl.T*.tap)
[ "$bits" = "drill.drl.T1.tap drill.drl.T2.tap drill.drl.T3.tap" ] || fail "drive letter, a program per bit: left $bits"

# A console: wine gives a terminal a console of code page 437, so only text
# written as Unicode reads right there. The console's cursor moves and line
# ends are taken out before the lines are looked for.
console_text() {
    (cd "$fixture" && script -qec "wine $exe $*" /dev/null </dev/null || true) |
        perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[A-Za-z]//g; s/\e\][^\a]*\a//g; s/\r//g'
}
while IFS='|' read -r args expected; do
    text=$(console_text "$args")
    grep -qF -- "$expected" <<<"$text" || fail "console, $args: no \"$expected\" in: $text"
done <<'EOF'
nincs.gbr|Nem sikerült megnyitni a fájlt: nincs.gbr
-y 2000 board.gbr|Az Y koordináta nagy, legföljebb 1000.00000 mm lehet.
-t fájlonként drill.drl|1. fúró: 0.80 mm (T1), 2 furat: drill.drl.T1.tap
bad.gbr|(): "A fájl 5. sorában hibás az 'X' koordináta.
EOF

if [ "$failures" -gt 0 ]; then
    echo "wine_test: $failures failed" >&2
    exit 1
fi
echo "wine_test: drelvo.exe passed"
