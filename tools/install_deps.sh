#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
# Quiet when everything is there. Needs root (or sudo) only when something must be installed.
set -euo pipefail

packages=(
  build-essential cmake pkg-config make
  libfreetype-dev libfontconfig-dev libpng-dev zlib1g-dev libjpeg62-turbo-dev
  nlohmann-json3-dev
  qt6-base-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  fonts-noto-cjk
  python3-fonttools python3-pil fonts-roboto-unhinted
  xvfb xauth xdotool xclip libjpeg-turbo-progs locales-all
)

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
