#!/usr/bin/env bash
# Takes the pictures of the README and the user guide (docs/images/*.png)
# from the real windows, started offscreen on a copy of the sample folder.
# Run it after a change to a window; never edit the pictures by hand.
# Usage: scripts/make-screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}

if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORLA_BUILD_TESTS=ON -DNORLA_BUILD_BENCH=OFF
fi
cmake --build "$build_dir" --target tst_screenshots
mkdir -p docs/images
NORLA_SCREENSHOT_DIR="$(pwd)/docs/images" QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
  "$build_dir/tests/docs/tst_screenshots"

# A page of the book that the sample index makes ("Bibliográfia kiadása",
# norla-cli publish), for the README and the guide.
cmake --build "$build_dir" --target norla-cli
cli=$(realpath "$build_dir/norla-cli")
sample=$(mktemp -d)
cp -r data/. "$sample"
(cd "$sample" && "$cli" index --all >/dev/null &&
  QT_QPA_PLATFORM=offscreen "$cli" publish --format pdf --index --title "Minta bibliográfia" --output konyv.pdf)
pdftoppm -r 75 -png -f 2 -l 2 -singlefile "$sample/konyv.pdf" docs/images/bibliografia
rm -rf "$sample"
ls -l docs/images
