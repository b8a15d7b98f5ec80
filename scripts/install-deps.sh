#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing,
# with a single "apt-get update" when something has to be installed.
# Usage: scripts/install-deps.sh [run|test|fuzz|bench]
#   run adds the desktop extras, test the formatter and the linter the checks
#   use, fuzz clang, bench the baseline tools of bench/.
# qt6-base-dev serves both the whole build and the core-only one (Qt Core and
# QtTest only).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  qt6-charts-dev qt6-svg-dev
  libshp-dev
  qt6-translations-l10n adwaita-icon-theme
  libc-bin
  fonts-dejavu-core
  cmark
  # Proofreading: the engine and the dictionaries of the languages the titles
  # of a Hungarian bibliography are most often in.
  libnuspell-dev hunspell-hu hunspell-de-de hunspell-en-us
  libzip-dev
  libhyphen-dev hyphen-hu libqpdf-dev
)
case "${1:-test}" in
  run) packages+=(gucharmap xdg-utils) ;;
  # The formatter and the linter of the checks, independent readers of the
  # BibTeX and RIS export and of the published PDF (pdftotext, pdftoppm), and
  # a second dictionary for the proofreading tests, and LibreOffice Writer to
  # open the published OpenDocument text.
  test) packages+=(clang-format clang-tidy python3 python3-bibtexparser bibutils hunspell-de-de poppler-utils
                   libreoffice-writer-nogui) ;;
  fuzz) packages+=(clang libclang-rt-14-dev) ;;
  bench) packages+=(ripgrep) ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  as_root=()
  if [[ $(id -u) -ne 0 ]]; then as_root=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update
  "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
