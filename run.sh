#!/usr/bin/env bash
# Installs what is missing, builds the viewer and starts it. Arguments go to the viewer.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
orvanto_install_deps

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTO_TESTS=OFF \
    -DORVANTO_BENCH=OFF
cmake --build build -j"$(nproc)"
exec build/app/orvanto-tv "$@"
