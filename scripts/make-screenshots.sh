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
  QT_QPA_PLATFORM=offscreen "$cli" publish --format pdf --index --title "Minta bibliográfia" \
    --compiler "Kovács Éva" --book-place Budapest --year 2026 --output konyv.pdf)
# The first page of entries (after the title page and the contents), the
# one after it, with its running head, and the first page of the name index.
book="$sample/konyv.pdf"
first_page_with() { # the first page that has a line matching $1 (after page $2)
  local pages page
  pages=$(pdfinfo "$book" | awk '/^Pages:/ {print $2}')
  for ((page = $2 + 1; page <= pages; page++)); do
    if pdftotext -f "$page" -l "$page" "$book" - | grep -qE "$1"; then
      echo "$page"
      return
    fi
  done
}
first=$(first_page_with '^1\. ' 1)
index=$(first_page_with '^Névmutató$' "$first")
pdftoppm -r 75 -png -f "$first" -l "$first" -singlefile "$book" docs/images/bibliografia
pdftoppm -r 75 -png -f $((first + 1)) -l $((first + 1)) -singlefile "$book" docs/images/konyv_oldal1
pdftoppm -r 75 -png -f "$index" -l "$index" -singlefile "$book" docs/images/konyv_oldal2
rm -rf "$sample"
ls -l docs/images
