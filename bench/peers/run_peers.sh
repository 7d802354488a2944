#!/usr/bin/env bash
# Runs the surface and decimation benchmarks and their VTK peers one after the
# other on the same data. Needs python3-vtk9 and python3-numpy (not installed
# by scripts/setup). Usage: bench/peers/run_peers.sh [build dir]
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$here/build}"
export VEXILO_BENCH_DUMP="${VEXILO_BENCH_DUMP:-$(mktemp -d)}"
"$build/bench/bench_surface"
/usr/bin/python3 "$here/bench/peers/vtk_peers.py"
/usr/bin/python3 "$here/bench/peers/decimate_peers.py" --build "$build"
rm -rf "$VEXILO_BENCH_DUMP"
