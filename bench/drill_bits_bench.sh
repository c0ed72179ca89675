#!/usr/bin/env bash
# Time and peak memory of a drill file of many bits: N tools (default 30,000)
# of different diameters with one hole each, in both tool-change styles that
# write one program (szünet) or one program per bit (fájlonként).
#
#   drill_bits_bench.sh [build-dir] [N]
set -eu
build=${1:-build}
n=${2:-30000}
drelvo=$(cd "$build" && pwd)/converter/drelvo
[ -x "$drelvo" ] || { echo "drill_bits_bench.sh: $drelvo is missing; build first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v n="$n" 'BEGIN {
    print "M48"; print "METRIC"
    for (k = 1; k <= n; k++) printf "T%dC%.4f\n", k, 0.1 + k * 0.0001
    print "%"
    for (k = 1; k <= n; k++) printf "T%d\nX%d.0Y%d.0\n", k, k % 200, int(k / 200)
    print "M30"
}' >"$work/bits.drl"
echo "$n tools, $(wc -c <"$work/bits.drl") bytes"
for style in szünet fájlonként; do
    rm -f "$work"/bits.drl.*tap
    (cd "$work" && /usr/bin/time -f "$style: %e s wall, %U s user, %S s system, %M KiB peak RSS, status %x" \
        timeout 120 "$drelvo" bits.drl -t "$style" >/dev/null)
done
