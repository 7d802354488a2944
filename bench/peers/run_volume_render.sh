#!/usr/bin/env bash
# Frames per second of Vexilo's default volume renderer against VTK's GPU
# ray-cast mapper, alternated round by round on one X display (an Xvfb of its
# own when DISPLAY is not set). Needs python3-vtk9 and python3-numpy (not
# installed by scripts/setup).
# Usage: bench/peers/run_volume_render.sh [build dir] [rounds] [frames] [picture folder]
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$here/build}"
shift || true
program="$build/bench/bench_volume_render"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" /usr/bin/python3 "$here/bench/peers/vtk_volume_render.py" "$program" "$@"
fi
exec /usr/bin/python3 "$here/bench/peers/vtk_volume_render.py" "$program" "$@"
