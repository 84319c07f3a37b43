#!/usr/bin/env bash
# Installs the Debian packages that are missing for one use of the tree:
#   tools/install_deps.sh run    building and running the program (make run, make install, make deb)
#   tools/install_deps.sh test   that, and what the test suite needs (make test, make sanitize)
# Quiet when everything is there. Needs root (or sudo) only when something must be installed.
set -euo pipefail

run_packages=(
  build-essential cmake pkg-config make
  libfreetype-dev libfontconfig-dev libpng-dev zlib1g-dev libjpeg62-turbo-dev
  nlohmann-json3-dev libcli11-dev libcsv-dev
  qt6-base-dev
  # make deb: CPack finds the program's libraries (dpkg-shlibdeps) only after `file` has told it
  # which installed files are programs
  file
  # at run time: the Chinese captions and the time-of-day word's face, Wayland sessions, and
  # Qt's own Chinese texts
  fonts-noto-cjk qt6-wayland qt6-translations-l10n
)
test_packages=(
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  python3-fonttools python3-pil fonts-roboto-unhinted
  xvfb xauth xdotool xclip x11-utils libjpeg-turbo-progs locales-all
  weston wl-clipboard dbus at-spi2-core python3-pyatspi
  parallel
  # the install and package tests
  desktop-file-utils appstream man-db lintian dpkg-dev
)

case "${1:-}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
