#!/usr/bin/env bash
# Lists the C++ files of src, tests, bench and fuzz that clang-format (the
# version 14 of Debian 12, against .clang-format) would change; exits non-zero
# when there is any. Fix them with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."

format=$(command -v clang-format-14 || command -v clang-format || true)
if [[ -z $format ]]; then
  echo "clang-format not found (scripts/install-deps.sh test installs it)" >&2
  exit 2
fi

unformatted=()
while IFS= read -r -d '' file; do
  if ! "$format" --style=file "$file" | cmp -s - "$file"; then
    unformatted+=("$file")
  fi
done < <(git ls-files -z --cached --others --exclude-standard -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
  'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h')

if ((${#unformatted[@]})); then
  echo "Not formatted with $("$format" --version):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "All files formatted."
