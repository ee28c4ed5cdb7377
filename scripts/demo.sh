#!/usr/bin/env bash
# The main job: installs what is needed, builds the command-line host and runs
# its demo session on the built-in simulated cameras.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vostrel sim_edsdk
exec build/release/bin/vostrel demo "$@"
