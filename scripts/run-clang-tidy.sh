#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) over the C++ files of src/ with
# the compile commands of a build folder, in parallel on every core; exits
# non-zero on any finding. The folder is configured first when it has no
# compile_commands.json yet.
# Usage: scripts/run-clang-tidy.sh [BUILD_DIR]   (default: build-test)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_dir=${1:-build-test}

runner=$(command -v run-clang-tidy-14 || command -v run-clang-tidy || true)
if [[ -z $runner ]]; then
  echo "run-clang-tidy not found (scripts/install-deps.sh test installs clang-tidy)" >&2
  exit 2
fi

if [[ ! -f $build_dir/compile_commands.json ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORLA_BUILD_TESTS=ON -DNORLA_WERROR=ON \
    >/dev/null
fi

# Only the project's own sources: the generated moc files in the build folder
# also lie under a src/ path, so the pattern is anchored at the worktree root.
"$runner" -quiet -p "$build_dir" -j "$(nproc)" "^${root}/src/.*\.cpp$"
