#!/usr/bin/env bash
# Fails when a tracked C++ file is not formatted as .clang-format says; names the files.
#   scripts/format-check.sh          check
#   scripts/format-check.sh --fix    format them in place
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
orvanto_install_deps "${ORVANTO_FORMAT_PACKAGES[@]}"

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
clang-format --dry-run -Werror "${files[@]}"
