#!/usr/bin/env bash
# Builds vesk-replay and renders the example session with it.
# Usage: scripts/demo.sh [vesk-replay options]   (default: --list)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
kovesk_require $KOVESK_BUILD_PACKAGES

cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target vesk-replay >&2
exec build/bin/vesk-replay "$@" examples/session.jsonl
