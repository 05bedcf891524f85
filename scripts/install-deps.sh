#!/bin/bash
# Installs what building and testing Zentar needs, from Debian packages only.
# Idempotent: does nothing when every package is already present.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config git file
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool x11-utils imagemagick xcompmgr locales
  fonts-wqy-microhei fonts-liberation
  pulseaudio pulseaudio-utils sox lame zip unzip
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  faketime
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine needs code page 936, which only a Chinese locale gives it.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

# Debian's mingw compilers default to the win32 thread model; nothing here needs std::thread,
# so the default alternative is kept.
echo "install-deps: ready"
