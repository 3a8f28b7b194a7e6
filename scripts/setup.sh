#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine, as root.
# Idempotent: every step checks first, so running it before each command is cheap.
#   setup.sh             install what is missing
#   setup.sh --packages  print the packages this script installs, one a line
set -euo pipefail

# Everything the build and the tests load must be named here (or be a Depends of a
# name here): packages are installed without their recommendations, so a library
# that some earlier install brought along is missing on a fresh machine. The test
# wine_packages_named checks this list against what Wine really loads.
PACKAGES=(
  cmake make g++ clang googletest libgtest-dev libbenchmark-dev
  libclang-rt-14-dev # the sanitizer and libFuzzer runtimes, which clang only recommends
  g++-mingw-w64-i686 mingw-w64-tools
  wine wine32:i386 libasound2:i386
  libgl1:i386 libgl1-mesa-dri:i386 # Wine's OpenGL: the GLX loader and Mesa's drivers
  xvfb xdotool imagemagick icoutils python3
  libosmesa6-dev libglu1-mesa-dev
  libxmp-dev openmpt123
  libfreetype-dev fonts-dejavu-core # the font maker and the demo font
)
# From the release's backports suite: Debian's own UPX, the packer the builder runs.
BACKPORTS=(upx-ucl)

if [ "${1:-}" = --packages ]; then
  printf '%s\n' "${PACKAGES[@]}" "${BACKPORTS[@]}"
  exit 0
fi

log() { echo "setup: $*"; }

# The Debian mirror this machine's own apt sources name for its release, so that
# packages of other suites come from the same place (one-line and deb822 sources).
debian_mirror() {
  local codename
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      awk -v suite="$codename" '$1 == "deb" {
        i = 2
        if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
        if ($(i + 1) == suite) print $i }'
    cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
      awk -v suite="$codename" 'BEGIN { RS = ""; FS = "\n" } {
        uri = ""; deb = 0; found = 0
        for (l = 1; l <= NF; l++) {
          n = split($l, w, /[ \t]+/)
          if (w[1] == "Types:") for (j = 2; j <= n; j++) if (w[j] == "deb") deb = 1
          if (w[1] == "URIs:") uri = w[2]
          if (w[1] == "Suites:") for (j = 2; j <= n; j++) if (w[j] == suite) found = 1
        }
        if (deb && found && uri != "") print uri }'
  } | head -n 1
}

mirror() {
  local uri
  uri=$(debian_mirror)
  [ -n "$uri" ] || { echo "setup: no Debian mirror in this machine's apt sources" >&2; exit 1; }
  echo "${uri%/}"
}

need_root() {
  if [ "$(id -u)" != 0 ]; then
    echo "setup: must run as root to install: $*" >&2
    exit 1
  fi
}

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || echo "$p"
  done
}

install_packages() {
  local missing
  missing=$(missing_packages "${PACKAGES[@]}")
  [ -z "$missing" ] && return 0
  need_root $missing
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  log "installing: $(echo $missing)"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# Backports are added as a source of their own; apt never prefers them by itself, so
# only what is asked for by suite comes from there.
BACKPORTS_LIST=/etc/apt/sources.list.d/sinestage-backports.list

install_backports() {
  local missing suite
  missing=$(missing_packages "${BACKPORTS[@]}")
  [ -z "$missing" ] && return 0
  need_root $missing
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")-backports
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $(mirror) $suite main" >"$BACKPORTS_LIST"
  log "installing from $suite: $(echo $missing)"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends -t "$suite" $missing
}

# Some kernels run no 32-bit x86 code natively. Wine's 32-bit loader then runs under
# qemu's user-mode emulator, registered through binfmt_misc. Debian 12's qemu places
# guest mappings where Wine needs its shared user page, so the emulator comes from
# the next Debian release, unpacked beside the system instead of installed into it.
QEMU_DIR=/opt/sinestage-qemu
QEMU_BIN=$QEMU_DIR/qemu-i386

runs_i386() { /lib/ld-linux.so.2 --help >/dev/null 2>&1; }

fetch_qemu() {
  [ -x "$QEMU_BIN" ] && return 0
  need_root qemu-user
  local work=$QEMU_DIR/apt
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $(mirror) trixie main" >"$work/sources.list"
  local opts=(-o Dir::Etc::sourcelist="$work/sources.list" -o Dir::Etc::sourceparts=/nonexistent
    -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o APT::Architectures::=amd64
    -o APT::Sandbox::User=root)
  log "fetching qemu-user for 32-bit emulation"
  apt-get "${opts[@]}" update -q
  (cd "$work" && apt-get "${opts[@]}" download qemu-user)
  rm -rf "$work/x" && mkdir -p "$work/x"
  dpkg -x "$work"/qemu-user_*.deb "$work/x"
  cp "$work/x/usr/bin/qemu-i386" "$QEMU_BIN"
  rm -rf "$work"
}

# The handler goes in under a name of its own: a handler that another installation
# registered is never touched, and the newest registration is the one the kernel
# tries first.
HANDLER=sinestage-i386

register_qemu() {
  local fs=/proc/sys/fs/binfmt_misc
  [ -e $fs/register ] || mount -t binfmt_misc binfmt_misc $fs
  if [ -e $fs/$HANDLER ]; then
    grep -q "interpreter $QEMU_BIN" $fs/$HANDLER && return 0
    echo -1 >$fs/$HANDLER
  fi
  log "registering $QEMU_BIN for i386 programs"
  printf '%s' ":$HANDLER:M::"'\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$QEMU_BIN"':F' >$fs/register
}

ensure_i386() {
  runs_i386 && return 0
  fetch_qemu
  register_qemu
  runs_i386 || { echo "setup: cannot run 32-bit programs on this machine" >&2; exit 1; }
}

install_packages
install_backports
ensure_i386
