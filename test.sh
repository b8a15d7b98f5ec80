#!/usr/bin/env bash
# Installs what is missing, builds with tests and runs the whole suite headless.
# Warnings are errors here, as in CI.
# Options: --sanitize   build with AddressSanitizer and UndefinedBehaviorSanitizer
#          --core-only  build only the core, norla-cli and their tests, without Qt Widgets
set -euo pipefail
cd "$(dirname "$0")"

build_dir=build-test
cmake_extra=()
for arg in "$@"; do
  case "$arg" in
    --sanitize) build_dir=build-sanitize; cmake_extra+=(-DNORLA_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    --core-only) build_dir=build-core; cmake_extra+=(-DNORLA_CORE_ONLY=ON) ;;
    *) echo "unknown option: $arg" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh test
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORLA_BUILD_TESTS=ON -DNORLA_WERROR=ON \
  "${cmake_extra[@]}"
cmake --build "$build_dir" --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)"
