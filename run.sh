#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

exec ./build/release/src/app/kvrconfig "$@"
