#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a set time.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# Crashing inputs are left in build-fuzz/findings/<target>/; keep each one as
# a regression case in tests/data/fuzz/<target>/ once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

scripts/install-deps.sh fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNORLA_BUILD_FUZZ=ON -DNORLA_BUILD_TESTS=OFF -DNORLA_BUILD_BENCH=OFF >/dev/null
targets=("$@")
# Only the named targets are built, so a run of one reader does not wait for
# all of them.
if ((${#targets[@]})); then
  cmake --build build-fuzz --parallel "$(nproc)" --target "${targets[@]}"
else
  cmake --build build-fuzz --parallel "$(nproc)"
fi

if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(find build-fuzz/fuzz -maxdepth 1 -type f -executable -name "fuzz_*" -printf "%f\n" | sort)
fi

# Caches of system libraries that LeakSanitizer takes for leaks (see the file).
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export QT_QPA_PLATFORM=offscreen

status=0
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target
  findings=build-fuzz/findings/$target
  mkdir -p "$corpus" "$findings"
  # Seeds: the sample folder, the test fixtures, the target's own seeds
  # (fuzz/make-seeds.py) and the kept regression inputs.
  find data tests/data fuzz/seeds/"$target" -type f -size -2M -exec cp -n {} "$corpus/" \; 2>/dev/null || true
  echo "== $target for ${seconds}s"
  # One process, one input at a time (libFuzzer's default): -jobs would fork
  # workers that write their logs into the current folder.
  if ! build-fuzz/fuzz/"$target" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
      -artifact_prefix="$findings/" -print_final_stats=1 2>"build-fuzz/$target.log"; then
    echo "!! $target found a problem: see build-fuzz/$target.log and $findings/"
    status=1
  fi
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "build-fuzz/$target.log" || true
done
exit $status
