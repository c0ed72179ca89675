#!/bin/bash
# Runs every fuzz target for a set time: run_fuzzers.sh <fuzz build dir> <seconds per target>
# (FUZZ_TARGETS="paths_fuzz ..." runs only those).
# Seeds: the bundled examples, the real-world Gerber and drill corpora beside
# the project (when present) and the argument vectors in args_seeds/. What a target learns is
# kept in <build>/corpus/<target>; every input that breaks a promise is saved
# in <build>/artifacts/<target>/ and makes the script fail once all targets
# have run.
set -u
build=$(realpath "$1")
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
project=$(cd "$here/../.." && pwd)
corpus=${CORPUS_DIR:-$project/../shared/corpus/gerber}
drill_corpus=${EXCELLON_CORPUS_DIR:-$project/../shared/corpus/excellon}

# Copies the files of a corpus directory, when it exists, into a seed directory.
seed() {
  mkdir -p "$1"
  if [ -d "$2" ]; then
    find "$2" -maxdepth 1 -type f ! -name '*.md' -exec cp {} "$1"/ \;
  fi
}
seed_dir=$build/seeds/gerber
drill_seed_dir=$build/seeds/excellon
mkdir -p "$seed_dir" "$build/artifacts"
cp "$project"/examples/*.gbr "$seed_dir"/ 2>/dev/null
seed "$seed_dir" "$corpus"
seed "$drill_seed_dir" "$drill_corpus"

failed=0
run() {
  local target=$1 dict=$2; shift 2
  [ -z "${FUZZ_TARGETS:-}" ] || [[ " $FUZZ_TARGETS " == *" $target "* ]] || return 0
  local work=$build/corpus/$target log=$build/$target.log
  local artifacts=$build/artifacts/$target
  mkdir -p "$work" "$artifacts"
  local known=$(ls "$artifacts" | wc -l)
  echo "== $target: $seconds s"
  # One child at a time that is restarted after a crash, so that one known
  # fault does not hide others for the rest of the run.
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
  "$build/$target" "$work" "$@" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=16384 -close_fd_mask=3 \
    ${dict:+-dict="$dict"} -artifact_prefix="$artifacts/" >"$log" 2>&1
  local status=$?
  local last=$(grep -E '^#[0-9]+: cov:' "$log" | tail -1)
  echo "   executions: $(echo "$last" | sed -E 's/^#([0-9]+):.*/\1/'), $(echo "$last" | grep -oE 'exec/s: [0-9]+|crash: [0-9/]+' | tr '\n' ' ')"
  local found=$(( $(ls "$artifacts" | wc -l) - known ))
  if [ $status -ne 0 ] || [ $found -gt 0 ]; then
    echo "   FAILED: status $status, $found new inputs in $artifacts; the log is $log:"
    # What each new input breaks, replayed once, grouped.
    ls -t "$artifacts" | head -n "$found" | while read -r input; do
      "$build/$target" "$artifacts/$input" 2>&1 |
        grep -m1 -oE 'drelvo broke a promise: [^:]*|ERROR: [A-Za-z]+Sanitizer: [a-z-]+|runtime error: .*|ERROR: libFuzzer: [a-z-]+'
    done | sort | uniq -c | sort -rn | head -10 | sed "s/^/   /"
    failed=1
  fi
}

run gerber_fuzz "$here/gerber.dict" "$seed_dir"
run paths_fuzz "$here/gerber.dict" "$seed_dir"
run excellon_fuzz "$here/excellon.dict" "$drill_seed_dir"
run args_fuzz "$here/args.dict" "$here/args_seeds"
run read_line_fuzz "" "$seed_dir"
exit $failed
