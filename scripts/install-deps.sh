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

# A mirror in the middle of a sync answers with index files of the wrong size
# for a minute or two: the update is tried again before it counts as failed,
# and an install with the lists it has is still attempted after that.
apt_update() {
  local attempt
  for attempt in 1 2 3 4 5; do
    apt-get update -qq && return 0
    echo "install-deps: apt-get update failed (attempt $attempt), trying again in 30 s"
    sleep 30
  done
  echo "install-deps: apt-get update kept failing; installing from the lists there are"
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The 32-bit product runs in the same 64-bit prefix through Debian's 32-bit Wine
# (WoW64). The hypervisor refuses 32-bit code, so qemu-user runs it: version 10
# from backports, as Debian 12's 7.2 crashes Wine on its signal frames.
# The 32-bit Wine decodes MP3 through its own GStreamer plugins; gcc-multilib
# builds the 32-bit faked clock (tests/e2e/faketime32.c).
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
if ! grep -rqs '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  cat > /etc/apt/sources.list.d/bookworm-backports.sources <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi
packages32=(
  wine32:i386 libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
  libxcomposite1:i386 libxinerama1:i386 libxfixes3:i386 libxxf86vm1:i386
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  gcc-multilib
)
missing32=()
for p in "${packages32[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing32+=("$p")
done
dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || echo 0)" ge 1:10 ||
  missing32+=(qemu-user/bookworm-backports)
if ((${#missing32[@]})); then
  echo "install-deps: installing ${missing32[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  apt-get install -y -qq --no-install-recommends "${missing32[@]}" >/dev/null
fi
# i386 ELF files go to qemu; F opens the interpreter now, so it serves every
# mount namespace and needs no path lookup at exec.
binfmt=/proc/sys/fs/binfmt_misc
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
if ! grep -qs '^interpreter /usr/bin/qemu-i386$' "$binfmt/qemu-i386"; then
  [ -e "$binfmt/qemu-i386" ] && echo -1 > "$binfmt/qemu-i386"
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
    > "$binfmt/register"
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
