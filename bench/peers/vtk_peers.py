#!/usr/bin/python3
"""The VTK peer of bench_decimate, on the mesh it dumps into
$VEXILO_BENCH_DUMP (see run_peers.sh). Marching cubes is compared in one
process by peer_surface.

Not part of CI: needs Debian's python3-vtk9 and python3-numpy, run with
/usr/bin/python3. Single thread (VTK's SMP tools on the sequential backend).
"""
import os
import time

import numpy as np
import vtk
from vtk.util import numpy_support

DUMP = os.environ.get("VEXILO_BENCH_DUMP", "/tmp/vexilo-bench")
TORUS = (224.0, 224.0, 112.0, 152.0, 70.0)  # centre, major and minor radius, as in bench/Phantoms.h


def single_thread():
    smp = vtk.vtkSMPTools
    if hasattr(smp, "SetBackend"):
        smp.SetBackend("Sequential")
    smp.Initialize(1)


def best_of(make, runs):
    """Best CPU time of `runs` updates, like Google Benchmark's rates: on a
    shared machine the wall clock also counts other programs."""
    best, out = None, None
    for _ in range(runs):
        alg = make()
        t0 = time.process_time()
        alg.Update()
        t = time.process_time() - t0
        if best is None or t < best:
            best, out = t, alg.GetOutput()
    return best, out


def torus_distance(p):
    cx, cy, cz, major, minor = TORUS
    q = np.sqrt((p[:, 0] - cx) ** 2 + (p[:, 1] - cy) ** 2) - major
    return np.abs(np.sqrt(q * q + (p[:, 2] - cz) ** 2) - minor)


def error(poly):
    pts = numpy_support.vtk_to_numpy(poly.GetPoints().GetData()).astype(np.float64)
    cells = numpy_support.vtk_to_numpy(poly.GetPolys().GetConnectivityArray()).reshape(-1, 3)
    centres = pts[cells].mean(axis=1)
    d = np.concatenate([torus_distance(pts), torus_distance(centres)])
    return d.mean(), np.sqrt((d * d).mean()), d.max()


def decimation():
    v = np.fromfile(os.path.join(DUMP, "torus_vertices_f32.raw"), dtype=np.float32).reshape(-1, 3)
    idx = np.fromfile(os.path.join(DUMP, "torus_indices_i32.raw"), dtype=np.int32).reshape(-1, 3)
    poly = vtk.vtkPolyData()
    points = vtk.vtkPoints()
    points.SetData(numpy_support.numpy_to_vtk(v, deep=1))
    poly.SetPoints(points)
    cells = vtk.vtkCellArray()
    offsets = numpy_support.numpy_to_vtk(np.arange(0, 3 * len(idx) + 1, 3, dtype=np.int64), deep=1)
    conn = numpy_support.numpy_to_vtk(idx.astype(np.int64).ravel(), deep=1)
    cells.SetData(offsets, conn)
    poly.SetPolys(cells)
    n = len(idx)
    e = error(poly)
    print(f"decimation input {n / 1e3:.1f} k triangles, error mean {e[0]:.4f} rms {e[1]:.4f} max {e[2]:.3f}")
    for keep in (10, 1):
        def make():
            q = vtk.vtkQuadricDecimation()
            q.SetInputData(poly)
            q.SetTargetReduction(1.0 - keep / 100.0)
            return q
        t, out = best_of(make, 1)
        e = error(out)
        print(f"vtkQuadricDecimation to {keep:2d} %  {t * 1000:8.0f} ms  {n / t / 1e6:5.2f} M input triangles/s  "
              f"out {out.GetNumberOfPolys() / 1e3:.1f} k  error mean {e[0]:.4f} rms {e[1]:.4f} max {e[2]:.3f}",
              flush=True)


def main():
    single_thread()
    print(vtk.vtkVersion.GetVTKSourceVersion())
    decimation()


if __name__ == "__main__":
    main()
