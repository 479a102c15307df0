#!/usr/bin/env bash
# Installs the Debian packages the project needs, when some are missing.
# Sourced by scripts/run and scripts/test.
parvela_install_deps() {
  # dpkg-dev and appstream: the package and its test; qt6-translations-l10n:
  # Qt's own catalogues, loaded where they hold Romanian; clang and its
  # runtime: the fuzz targets and the sanitized build; DejaVu Sans Mono: the
  # fixed-pitch face of the editor and the report view; Eigen, GMP and MPFR:
  # the analysis of a run (pkg-config finds GMP and MPFR); poppler-utils: the
  # PDF test reads the report's text back.
  local pkgs=(cmake g++ make libgtest-dev gfortran qt6-base-dev qt6-charts-dev xvfb xauth
              dpkg-dev appstream groff-base qt6-translations-l10n clang libclang-rt-dev
              fonts-dejavu-core libeigen3-dev libgmp-dev libmpfr-dev pkg-config poppler-utils)
  local missing=()
  for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

parvela_build() {
  local root="$1"
  cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$root/build" -j"$(nproc)"
}
