#!/usr/bin/env bash
# Installs what is missing, builds a release build, prepares the working folder
# (default ~/Norla, seeded from data/ only when it does not exist yet) and
# starts the editor there.
set -euo pipefail
cd "$(dirname "$0")"
source_dir=$(pwd)
work_dir=${1:-$HOME/Norla}

scripts/install-deps.sh run
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORLA_BUILD_TESTS=OFF -DNORLA_BUILD_BENCH=OFF
cmake --build build-release --parallel "$(nproc)"

if [[ ! -e "$work_dir" ]]; then
  mkdir -p "$work_dir"
  cp -R "$source_dir/data/." "$work_dir/"
  if [[ -x build-release/norla-cli ]]; then
    (cd "$work_dir" && "$source_dir/build-release/norla-cli" index --all >/dev/null 2>&1) || true
  fi
  echo "Working folder prepared: $work_dir"
fi

cd "$work_dir"
exec "$source_dir/build-release/norla"
