#!/bin/bash
# Runs every fuzz target for a set time: run_fuzzers.sh <fuzz build dir> <seconds per target>
# Seeds: the bundled examples, the real-world corpus beside the project (when
# present) and the argument vectors in args_seeds/. What a target learns is
# kept in <build>/corpus/<target>; a crash is saved in <build>/artifacts/ and
# makes the script fail once all targets have run.
set -u
build=$(realpath "$1")
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
project=$(cd "$here/../.." && pwd)
corpus=${CORPUS_DIR:-$project/../shared/corpus/gerber}

seed_dir=$build/seeds/gerber
mkdir -p "$seed_dir" "$build/artifacts"
cp "$project"/examples/*.gbr "$seed_dir"/ 2>/dev/null
if [ -d "$corpus" ]; then
  find "$corpus" -maxdepth 1 -type f ! -name '*.md' -exec cp {} "$seed_dir"/ \;
fi

failed=0
run() {
  local target=$1 dict=$2; shift 2
  local work=$build/corpus/$target log=$build/$target.log
  mkdir -p "$work"
  echo "== $target: $seconds s"
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
  "$build/$target" "$work" "$@" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
    -max_len=16384 -close_fd_mask=3 -print_final_stats=1 ${dict:+-dict="$dict"} \
    -artifact_prefix="$build/artifacts/$target-" >"$log" 2>&1
  local status=$?
  grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$log" | sed "s/^/   /"
  grep -E '^#[0-9]+ +DONE' "$log" | tail -1 | sed "s/^/   /"
  if [ $status -ne 0 ]; then
    echo "   FAILED with status $status; the report is in $log:"
    grep -E 'ERROR|SUMMARY|drelvo broke|Test unit written' "$log" | head -20 | sed "s/^/   /"
    failed=1
  fi
}

run gerber_fuzz "$here/gerber.dict" "$seed_dir"
run args_fuzz "$here/args.dict" "$here/args_seeds"
run read_line_fuzz "" "$seed_dir"
exit $failed
