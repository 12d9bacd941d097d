#!/usr/bin/env bash
# Installs the Debian packages that Tovik needs to build, run and test.
# Idempotent: packages already present are left alone, so a second run is quick.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  libwmf-dev libemf2svg-dev libuemf-dev libcli11-dev libseccomp-dev
  fonts-urw-base35
  libfftw3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils procps
  fonts-dejavu-core fonts-liberation2
  python3-numpy python3-jsonschema
  librsvg2-bin poppler-utils
  qt6-translations-l10n qt6-l10n-tools qt6-tools-dev
  desktop-file-utils appstream dpkg-dev
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
