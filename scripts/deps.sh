#!/usr/bin/env bash
# Installs the Debian packages the build needs (as root), or prints the
# command that would (as anyone else). Usage: deps.sh play|test|fuzz|package|web
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libsdl2-dev libpng-dev zlib1g-dev)
case "${1:-play}" in
  test) packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth imagemagick sox clang clang-format clang-tidy openbox xdotool x11-utils) ;;
  fuzz) packages+=(clang libclang-rt-14-dev) ;;
  package) packages+=(dpkg-dev file gzip lintian desktop-file-utils appstream) ;;
  web)
    packages+=(emscripten node-acorn chromium)
    # Node and npm for the browser test; a Node that brings its own npm counts.
    command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Missing packages. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
