#!/usr/bin/env bash
# Installs what the build needs from Debian's packages, and builds the
# cross-compiled libjpeg-turbo once (cached under build/deps).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done < "$root/scripts/packages.txt"
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo_if_needed apt-get update -qq
    sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# libjpeg-turbo for the Windows side, from Debian's source package.
jpeg_prefix="$deps/libjpeg-turbo-mingw"
if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
    echo "setup: building libjpeg-turbo for MinGW-w64"
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
        uri=$(grep -m1 -h '^URIs:' /etc/apt/sources.list.d/debian.sources 2>/dev/null | awk '{print $2}')
        [ -n "$uri" ] || uri=http://deb.debian.org/debian
        suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
        printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
            "$uri" "$suite" | sudo_if_needed tee /etc/apt/sources.list.d/splitjoin-src.sources >/dev/null
        sudo_if_needed apt-get update -qq
    fi
    src="$deps/src"
    rm -rf "$src" && mkdir -p "$src"
    (cd "$src" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
    srcdir=$(find "$src" -maxdepth 1 -mindepth 1 -type d -name 'libjpeg-turbo*' | head -n1)
    cmake -S "$srcdir" -B "$src/build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" >/dev/null
    cmake --build "$src/build" -j"$(nproc)" >/dev/null
    cmake --install "$src/build" >/dev/null
    rm -rf "$src"
fi
