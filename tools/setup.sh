#!/usr/bin/env bash
# Installs what is missing, builds, then starts the program ("start") or runs every test ("test").
set -euo pipefail

mode=${1:-}
case "$mode" in
    start | test) ;;
    *)
        echo "usage: $0 start|test" >&2
        exit 2
        ;;
esac

top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libcurl4-openssl-dev libssl-dev
    fonts-arphic-uming)
if [ "$mode" = test ]; then
    packages+=(libgtest-dev libgmock-dev openssl)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

jobs=$(nproc)
if [ "$mode" = start ]; then
    cmake -S . -B build -G Ninja -DBUILD_TESTING=OFF >/dev/null
    cmake --build build --target tessmoorquarvel -j "$jobs"
    exec ./build/src/tessmoorquarvel
fi

cmake -S . -B build-tests -G Ninja -DBUILD_TESTING=ON >/dev/null
cmake --build build-tests -j "$jobs"
(cd build-tests && ctest --output-on-failure -j "$jobs")

# The widget-free libraries once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -G Ninja -DBUILD_TESTING=ON -DTQ_CORE_ONLY=ON -DTQ_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs")
