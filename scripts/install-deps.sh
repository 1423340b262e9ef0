#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tesselka needs.
# Idempotent: packages already present are not touched, and the package lists are
# refreshed only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev
  zlib1g-dev libdeflate-dev libpng-dev libjpeg-dev libgif-dev libzip-dev
  liblcms2-dev
  libemf2svg-dev libuemf-dev libwmf-dev fonts-urw-base35
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth clang-format
  # `make fuzz`: clang and its libFuzzer and sanitizer runtimes.
  clang libclang-rt-14-dev
  # pdftotext and pdftoppm: the tests read back the printed map's PDF.
  poppler-utils
  # The installed desktop files are checked by the tests; `cpack -G DEB` reads the
  # package dependencies with dpkg-shlibdeps.
  desktop-file-utils appstream dpkg-dev
  # A real photograph for the reduction benchmark (bench/reduce), enlarged at run time.
  lomiri-wallpapers-16.04
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
