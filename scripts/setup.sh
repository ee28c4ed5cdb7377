#!/usr/bin/env bash
# Installs everything the build targets need (clang and its libFuzzer
# runtime for the fuzz preset). Idempotent: a second run
# only checks what is there and takes seconds.
#
#   scripts/setup.sh            packages + Windows cross-built dependencies
#
# Cross-built libraries land in $VOSTREL_DEPS (default ~/.cache/vostrel-deps),
# outside the source tree, keyed by target and version.
set -euo pipefail

DEPS="${VOSTREL_DEPS:-$HOME/.cache/vostrel-deps}"
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

packages=(
  build-essential cmake ninja-build pkg-config clang-format clang libclang-rt-dev
  libjpeg62-turbo-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  nlohmann-json3-dev libcli11-dev libtiff-tools
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  libwine-dev wine64 wine xvfb x11-apps imagemagick dpkg-dev wixl
)

# The x86 build's tests run 32-bit programs under Wine's WoW64: Debian's
# 32-bit Wine next to wine64. That needs a kernel that runs 32-bit programs;
# where it cannot (no IA-32 emulation), 32-bit Wine would take over the
# `wine` command and break the x64 tests as well, so it is not installed.
kernel_runs_32bit_programs() {
  local probe
  probe=$(mktemp)
  # A 93-byte i386 ELF program whose only instruction is exit(0).
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=1
  rm -f "$probe"
  return $status
}
optional_packages=()
if kernel_runs_32bit_programs; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  optional_packages=(wine32:i386)
else
  echo "setup: this kernel runs no 32-bit programs; the x86 build is built, its tests are not run"
fi

# A mirror being synchronised fails one index now and then ("File has
# unexpected size"): try again, then go on with the indexes apt has; the
# install below says so if a package is really out of reach.
apt_update() {
  local attempt
  for attempt in 1 2 3; do
    if $SUDO apt-get update -qq; then return 0; fi
    echo "setup: apt-get update failed (attempt $attempt of 3)" >&2
    [ "$attempt" = 3 ] || sleep 15
  done
  echo "setup: going on with the package indexes apt has" >&2
}

installed() { # package
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
apt_install() { # package...
  mkdir -p "$DEPS"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" \
    >"$DEPS/apt.log" 2>&1
}

missing=()
for p in "${packages[@]}" "${optional_packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update
  # 32-bit Wine needs the i386 packages at exactly the versions of their
  # amd64 twins, which a mirror in the middle of a sync may not offer: then
  # the x86 tests are not run (scripts/test-all.sh says so) rather than
  # nothing being installed at all.
  if ! apt_install "${missing[@]}"; then
    required=()
    for p in "${packages[@]}"; do installed "$p" || required+=("$p"); done
    if [ ${#required[@]} -gt 0 ] && ! apt_install "${required[@]}"; then
      cat "$DEPS/apt.log"
      exit 1
    fi
    tail -n 5 "$DEPS/apt.log"
    echo "setup: could not install ${optional_packages[*]}; the x86 build is built, its tests are not run" >&2
  fi
fi

# A deb-src entry derived from the configured deb entries, for apt-get source.
ensure_deb_src() {
  if apt-get indextargets 2>/dev/null | grep -q 'Created-By: Sources'; then return; fi
  local src=/etc/apt/sources.list.d/vostrel-deb-src.sources
  local found=0
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    [ "$f" = "$src" ] && continue
    sed -e 's/^Types:.*deb.*/Types: deb-src/' "$f"
    echo
    found=1
  done > /tmp/vostrel-deb-src.$$
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed -e 's/^deb /deb-src /' > /tmp/vostrel-deb-src-list.$$ || true
    if [ -s /tmp/vostrel-deb-src-list.$$ ]; then
      $SUDO cp /tmp/vostrel-deb-src-list.$$ /etc/apt/sources.list.d/vostrel-deb-src.list
    fi
    rm -f /tmp/vostrel-deb-src-list.$$
  fi
  if [ "$found" = 1 ]; then $SUDO cp /tmp/vostrel-deb-src.$$ "$src"; fi
  rm -f /tmp/vostrel-deb-src.$$
  apt_update
}

jpeg_version=$(dpkg-query -W -f='${Version}' libjpeg62-turbo-dev | sed -e 's/^[0-9]*://')
gtest_version=$(dpkg-query -W -f='${Version}' googletest)

fetch_jpeg_source() {
  local dir="$DEPS/src/libjpeg-turbo-$jpeg_version"
  if [ ! -f "$dir/.done" ]; then
    ensure_deb_src
    rm -rf "$dir" && mkdir -p "$dir"
    (cd "$dir" && apt-get source -qq "libjpeg-turbo=1:$jpeg_version" >/dev/null 2>&1 ||
      apt-get source -qq libjpeg-turbo >/dev/null)
    touch "$dir/.done"
  fi
  find "$dir" -maxdepth 1 -mindepth 1 -type d | head -n1
}

cross_build() { # triple name srcdir extra-cmake-args...
  local triple=$1 name=$2 srcdir=$3
  shift 3
  local prefix="$DEPS/$triple/$name"
  if [ -f "$prefix/.done" ]; then return; fi
  local build="$DEPS/build/$triple-$name"
  rm -rf "$build" "$prefix"
  cmake -S "$srcdir" -B "$build" -G Ninja -Wno-dev \
    -DCMAKE_SYSTEM_NAME=Windows \
    -DCMAKE_SYSTEM_PROCESSOR="$triple" \
    -DCMAKE_C_COMPILER="$triple-w64-mingw32-gcc-posix" \
    -DCMAKE_CXX_COMPILER="$triple-w64-mingw32-g++-posix" \
    -DCMAKE_RC_COMPILER="$triple-w64-mingw32-windres" \
    -DCMAKE_FIND_ROOT_PATH="/usr/$triple-w64-mingw32" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$build" >/dev/null
  cmake --install "$build" >/dev/null
  rm -rf "$build"
  touch "$prefix/.done"
}

jpeg_src=$(fetch_jpeg_source)
for triple in x86_64 i686; do
  cross_build "$triple" "libjpeg-turbo-$jpeg_version" "$jpeg_src" \
    -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON
  cross_build "$triple" "googletest-$gtest_version" /usr/src/googletest \
    -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON -DCMAKE_CXX_FLAGS="-static-libgcc -static-libstdc++"
done

# Header-only libraries, visible to the Windows builds without exposing the
# host's whole /usr/include to the cross compilers.
for triple in x86_64 i686; do
  mkdir -p "$DEPS/$triple/headers/include"
  ln -sfn /usr/include/nlohmann "$DEPS/$triple/headers/include/nlohmann"
  ln -sfn /usr/include/CLI "$DEPS/$triple/headers/include/CLI"
done

# The presets read the dependency locations from this file.
cat > "$DEPS/paths.cmake" <<PATHS
set(VOSTREL_JPEG_VERSION "$jpeg_version")
set(VOSTREL_GTEST_VERSION "$gtest_version")
PATHS
echo "setup: ready (dependencies in $DEPS)"
