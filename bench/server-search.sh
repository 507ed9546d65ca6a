#!/usr/bin/env bash
# Builds the Release server and benchmark driver, then measures the company search of
# tessaro-server on the demo data (or the size given) with 1 and 8 concurrent HTTPS clients.
# Usage: bench/server-search.sh [seconds per run, default 10] [demo|large]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/bench"

"$root/scripts/install-deps"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target bench_serversearch tessaro-server
"$build/bench/bench_serversearch" "${1:-10}" "${2:-demo}"
