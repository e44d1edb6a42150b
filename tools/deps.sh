#!/usr/bin/env bash
# Installs what building and testing the suite needs (Debian 12, as root).
set -euo pipefail

packages=(cmake ninja-build ccache g++ libgtest-dev bats tmux
          g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 msitools wixl
          xvfb xdotool imagemagick fonts-ipafont-gothic)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" dpkg --add-architecture i386
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
