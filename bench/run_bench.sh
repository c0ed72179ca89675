#!/usr/bin/env bash
# Time and peak memory of the whole converter against the size of the board.
#
#   run_bench.sh [build-dir]           measure, and rewrite the table in bench/RESULTS.md
#   run_bench.sh --smoke [build-dir]   only check that small generated boards convert
#
# The build directory (default: build) must hold converter/drelvo and bench/gerber_gen.
# Every run is killed after TIME_LIMIT seconds and cannot map more than the memory
# cap, so a board too large for this machine is recorded as failing instead of
# pushing the shared machine into swap. After a failure the larger boards of the
# same series are not attempted. Each board is converted REPEATS times and the
# run of least CPU time (user + system) is kept: on a shared machine the others'
# load only ever adds time, and the load average is recorded beside the table.
set -u

TIME_LIMIT=60
CAP_BYTES=$((16 * 1024 * 1024 * 1024))
REPEATS=${REPEATS:-3}
CASES=("flash 100" "flash 1000" "flash 3000" "flash 10000" "flash 30000" "flash 100000" "flash 300000"
       "flash 1000000" "outline16 2000" "outline16 10000" "outline16 30000" "outline16 100000" "drill 100000")

here=$(cd "$(dirname "$0")" && pwd)
smoke_only=0
if [ "${1:-}" = --smoke ]; then
    smoke_only=1
    shift
fi
build=${1:-build}
drelvo=$build/converter/drelvo
gen=$build/bench/gerber_gen
results=$here/RESULTS.md
for prog in "$drelvo" "$gen"; do
    [ -x "$prog" ] || { echo "run_bench.sh: $prog is missing; build first" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Holes the converter wrote: one plunge per hole.
holes_written() { grep -c '^G1 Z' "$1.tap" 2>/dev/null || true; }

# A board of the series: Gerber holes of a shape, or a drill file of 10 bits with 1,000 slots.
make_board() {
    if [ "$1" = drill ]; then
        "$gen" -d 1000 -o "$3" "$2"
    else
        "$gen" -s "$1" -o "$3" "$2"
    fi
}

# Least wall time of reading the input to /dev/null and copying a file of the program's size:
# the floor a conversion of these bytes cannot go below.
floor_time() {
    local best="" run start end t
    for ((run = 1; run <= REPEATS; run++)); do
        start=$EPOCHREALTIME
        cat "$1" >/dev/null
        cp "$2" "$work/copy"
        end=$EPOCHREALTIME
        t=$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.4f", b - a}')
        if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN {exit !(a < b)}'; then best=$t; fi
    done
    rm -f "$work/copy"
    echo "$best"
}

smoke() {
    local shape unit board failed=0
    for shape in flash outline4 outline16 mix; do
        for unit in mm inch; do
            board=$work/smoke-$shape-$unit.gbr
            "$gen" -s "$shape" -u "$unit" -o "$board" 10 || return 1
            if ! timeout 20 "$drelvo" "$board" >/dev/null 2>"$work/err"; then
                echo "smoke: $shape/$unit: converter failed: $(head -n1 "$work/err")" >&2
                failed=1
            elif [ "$(holes_written "$board")" != 10 ]; then
                echo "smoke: $shape/$unit: $(holes_written "$board") holes written, 10 expected" >&2
                failed=1
            fi
        done
    done
    return $failed
}

smoke || exit 1
if [ $smoke_only = 1 ]; then
    echo "smoke: every shape and unit converts to its 10 holes"
    exit 0
fi

# Leave the other users of the machine room: never cap above what is free now.
avail_kb=$(awk '/^MemAvailable:/ {print $2}' /proc/meminfo)
room=$(( (avail_kb - 2 * 1024 * 1024) * 1024 ))
cap_note=""
if [ "$room" -lt "$CAP_BYTES" ]; then
    CAP_BYTES=$room
    cap_note=" (lowered from 16 GiB to what was free)"
fi
cap_gib=$(awk -v b="$CAP_BYTES" 'BEGIN {printf "%.1f", b / 2^30}')

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
rows=$work/rows   # shape n sections wall_s user_s sys_s rss_kb floor_s result
: >"$rows"
failed_series=" "
for case in "${CASES[@]}"; do
    read -r shape n <<<"$case"
    if [[ $failed_series == *" $shape "* ]]; then
        echo "$shape $n - - - - - - not run: a smaller board failed" >>"$rows"
        continue
    fi
    board=$work/board.gbr
    make_board "$shape" "$n" "$board" || exit 1
    if [ "$shape" = drill ]; then
        sections=$(grep -c '^X' "$board")
    else
        sections=$(grep -c 'D0[13]\*' "$board")
    fi
    echo "measuring $shape n=$n ($sections sections) ..." >&2
    best=""
    for ((run = 1; run <= REPEATS; run++)); do
        start=$EPOCHREALTIME
        /usr/bin/time -v -o "$work/time" timeout -k 5 "$TIME_LIMIT" \
            prlimit --as="$CAP_BYTES" -- "$drelvo" "$board" >/dev/null 2>"$work/err"
        rc=$?
        end=$EPOCHREALTIME
        wall=$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f", b - a}')
        rss_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
        rss_kb=${rss_kb:-0}
        user=$(awk -F': ' '/User time/ {print $2}' "$work/time")
        sys=$(awk -F': ' '/System time/ {print $2}' "$work/time")
        cpu=$(awk -v u="${user:-0}" -v s="${sys:-0}" 'BEGIN {printf "%.2f", u + s}')
        [ $rc = 0 ] || break   # a failure is not repeated
        if [ -z "$best" ] || awk -v a="$cpu" -v b="$best" 'BEGIN {exit !(a < b)}'; then
            best=$cpu
            kept="$wall ${user:--} ${sys:--} $rss_kb"
        fi
    done
    [ $rc != 0 ] || read -r wall user sys rss_kb <<<"$kept"
    # The converter's own diagnostic, in UTF-8 and safe inside a table cell.
    why=$(head -n1 "$work/err" | cut -c1-120 | iconv -f CP1250 -t UTF-8 2>/dev/null | sed 's/|/\\|/g')
    if [ $rc = 0 ]; then
        written=$(holes_written "$board")
        # A drill file's slots are drilled as rows of holes.
        if [ "$written" = "$n" ] || { [ "$shape" = drill ] && [ "$written" -ge "$n" ]; }; then
            result=ok
        else
            result="wrong: $written holes written"
        fi
    elif [ $rc = 124 ] || [ $rc = 137 ]; then
        result="failed: over $TIME_LIMIT s, killed"
    elif [ $((rss_kb * 1024 * 8)) -ge $((CAP_BYTES * 7)) ]; then
        result="failed: over the $cap_gib GiB cap (exit $rc: $why)"
    else
        result="failed: exit $rc: $why"
    fi
    [ "$result" = ok ] || failed_series="$failed_series$shape "
    floor=-
    [ $rc != 0 ] || floor=$(floor_time "$board" "$board.tap")
    echo "$shape $n $sections $wall ${user:--} ${sys:--} $rss_kb $floor $result" >>"$rows"
    echo "  $wall s, $rss_kb kB: $result" >&2
    rm -f "$board" "$board.tap"
done

# Least-squares slope of log(value) against log(n) over the finished rows of a
# series with n >= min_n, time being user + system; prints "slope_time
# slope_rss count first last".
fit() {
    awk -v s="$1" -v min_n="$2" '
        $1 == s && $9 == "ok" && $2 >= min_n {
            x = log($2); k++; sx += x; sxx += x * x
            t = log($5 + $6 + 0.005); st += t; sxt += x * t
            m = log($7); sm += m; sxm += x * m
            if (first == "") first = $2; last = $2
        }
        END {
            if (k < 2) { print "- - " k+0 " - -"; exit }
            d = k * sxx - sx * sx
            printf "%.2f %.2f %d %s %s\n", (k * sxt - sx * st) / d, (k * sxm - sx * sm) / d, k, first, last
        }' "$rows"
}

cpu=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
mem_gib=$(awk '/^MemTotal:/ {printf "%.1f", $2 / 2^20}' /proc/meminfo)
commit=$(git -C "$here" rev-parse --short HEAD 2>/dev/null || echo unknown)
table=$work/table
{
    echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') at commit $commit on $cpu, $(nproc) cores,"
    echo "$mem_gib GiB memory, load average $load_before before and $(cut -d' ' -f1-3 /proc/loadavg) after."
    echo "Limits per run: $TIME_LIMIT s and $cap_gib GiB of address space$cap_note; each row is the"
    echo "least CPU time of $REPEATS runs. The floor is the least wall time of \`cat\` of the input"
    echo "to /dev/null and \`cp\` of the program written; the ratio is the CPU time (user + system) over it."
    echo
    echo "| board | holes | sections | wall time (s) | user (s) | system (s) | peak RSS (MiB) | floor (s) | ratio | result |"
    echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---|"
    awk '{
        rest = $9; for (i = 10; i <= NF; i++) rest = rest " " $i
        rss = $7 == "-" ? "-" : sprintf("%.1f", $7 / 1024)
        ratio = $8 == "-" || $8 + 0 == 0 ? "-" : sprintf("%.0f", ($5 + $6) / $8)
        printf "| %s | %d | %s | %s | %s | %s | %s | %s | %s | %s |\n", $1, $2, $3, $4, $5, $6, rss, $8, ratio, rest
    }' "$rows"
    echo
    echo "Fitted growth, exponent b of CPU time or memory ~ n^b (least squares on log-log):"
    echo
    echo "| series | sizes fitted | time exponent | memory exponent |"
    echo "|---|---|---:|---:|"
    for series in "flash 10000" "flash 100000" "outline16 10000"; do
        read -r shape min_n <<<"$series"
        read -r bt bm k first last <<<"$(fit "$shape" "$min_n")"
        label=$shape
        [ "$min_n" = 0 ] || label="$shape, n >= $min_n"
        if [ "$k" -ge 2 ]; then
            echo "| $label | $k, from $first to $last | $bt | $bm |"
        else
            echo "| $label | fewer than two finished | - | - |"
        fi
    done
    echo
    best=$(awk '$9 == "ok" && $4 < 5 && $7 < 2 * 1024 * 1024 && $2 > best {best = $2; shape = $1}
                END {if (best) print best " holes (" shape ")"; else print "none"}' "$rows")
    echo "Largest board converted in under 5 s and under 2 GiB: $best."
} >"$table"

if [ ! -f "$results" ] || ! grep -q '^<!-- results:begin -->$' "$results"; then
    printf '# Converter benchmarks\n\n<!-- results:begin -->\n<!-- results:end -->\n' >"$results"
fi
awk -v table="$table" '
    /^<!-- results:end -->$/ { while ((getline line < table) > 0) print line; skip = 0 }
    !skip { print }
    /^<!-- results:begin -->$/ { skip = 1 }
' "$results" >"$work/results" && cat "$work/results" >"$results"
cat "$table"
