#!/usr/bin/env bash
# Builds the Debian package of the viewer: a Release build in build-package/, then CPack.
#   scripts/package.sh      writes build-package/orvanto-tv_<version>_<arch>.deb
# Install it with `sudo apt-get install ./build-package/orvanto-tv_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
orvanto_install_deps

build=build-package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTO_TESTS=OFF -DORVANTO_BENCH=OFF \
    -DORVANTO_WERROR=OFF
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB)
ls "$build"/orvanto-tv_*.deb
