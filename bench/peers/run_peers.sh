#!/usr/bin/env bash
# The whole comparison with the peers in one go: builds them, writes the real
# volumes, runs marching cubes against VTK and the watershed against ITK (ours
# and the peer alternated in one process, one thread each, fresh and reused
# memory), then decimation against VTK, and prints a summary table.
# The peers are for benchmarks only and are not in scripts/packages.txt; this
# script installs them when missing.
# Usage: bench/peers/run_peers.sh [rounds]   (BUILD_DIR, default build-peers)
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$here"
build="${BUILD_DIR:-build-peers}"
rounds="${1:-}"

need=(libvtk9-dev libinsighttoolkit5-dev insighttoolkit5-examples python3-pydicom python3-vtk9 python3-numpy)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Same build type as the program's own default.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXILO_BUILD_APP=OFF -DVEXILO_BUILD_PEERS=ON >/dev/null
nice cmake --build "$build" -j4 --target peer_surface peer_watershed decimate_mesh

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 bench/peers/real_volumes.py "$work"
export VEXILO_PEER_DATA="$work"
export LC_ALL=C

for memory in fresh reused; do
  # shellcheck disable=SC2086
  "$build/bench/peers/peer_surface" $rounds $memory | tee "$work/surface-$memory.txt"
  echo
  # shellcheck disable=SC2086
  "$build/bench/peers/peer_watershed" $rounds $memory | tee "$work/watershed-$memory.txt"
  echo
done

/usr/bin/python3 bench/peers/decimate_peers.py --build "$build"

echo
echo "Summary: ratio = our time / the peer's in the same round (below 1: ours is faster)"
for f in surface-fresh surface-reused watershed-fresh watershed-reused; do
  echo
  head -n1 "$work/$f.txt"
  sed -n '/^volume /,$p' "$work/$f.txt" | cut -c1-118,135-
done
