#!/usr/bin/env bash
# Zap times on real loopback servers beside vlc and mpv (see bench/ZapBench.cpp).
#
#   bench/zap.sh [BUILD_DIR] [RUNS]
#
# Installs Debian's vlc and mpv where missing (for this benchmark only) and runs vlc as an
# unprivileged user when run as root (vlc refuses root).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
bench=$(realpath "$build/bench/zap_bench")
[ -x "$bench" ] || { echo "no $bench: build first" >&2; exit 1; }

source scripts/deps.sh
orvanto_install_deps "${ORVANTO_BENCH_PACKAGES[@]}"

as=()
if [ "$(id -u)" -eq 0 ]; then
    id orvbench >/dev/null 2>&1 || useradd -m orvbench
    as=(--as orvbench)
fi
"$bench" --runs "$runs" "${as[@]}"
