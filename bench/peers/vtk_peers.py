#!/usr/bin/python3
"""The VTK peers of bench_surface, on the volumes it dumps into
$VEXILO_BENCH_DUMP (see run_peers.sh). Decimation has its own script,
decimate_peers.py.

Not part of CI: needs Debian's python3-vtk9 and python3-numpy, run with
/usr/bin/python3. Single thread (VTK's SMP tools on the sequential backend).
"""
import os
import sys
import time

import numpy as np
import vtk
from vtk.util import numpy_support

DUMP = os.environ.get("VEXILO_BENCH_DUMP", "/tmp/vexilo-bench")


def single_thread():
    smp = vtk.vtkSMPTools
    if hasattr(smp, "SetBackend"):
        smp.SetBackend("Sequential")
    smp.Initialize(1)


def image(name, dims, dtype):
    data = np.fromfile(os.path.join(DUMP, name), dtype=dtype)
    img = vtk.vtkImageData()
    img.SetDimensions(*dims)
    arr = numpy_support.numpy_to_vtk(data, deep=1)
    img.GetPointData().SetScalars(arr)
    return img


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


def surface(label, img, iso, runs=5):
    for cls, normals in ((vtk.vtkFlyingEdges3D, 1), (vtk.vtkFlyingEdges3D, 0), (vtk.vtkMarchingCubes, 1)):
        def make():
            a = cls()
            a.SetInputData(img)
            a.SetValue(0, iso)
            a.SetComputeNormals(normals)
            a.SetComputeScalars(0)
            return a
        t, out = best_of(make, runs)
        n = out.GetNumberOfPolys()
        print(f"{label:28s} {cls.__name__:18s} normals={normals}  {t * 1000:8.1f} ms  "
              f"{n / 1e3:8.1f} k triangles  {n / t / 1e6:6.2f} M triangles/s", flush=True)


def main():
    single_thread()
    print(vtk.vtkVersion.GetVTKSourceVersion())
    what = sys.argv[1:] or ["surface"]
    if "surface" in what:
        surface("blob 256^3 u8 iso 128", image("blob256_u8.raw", (256, 256, 256), np.uint8), 128)
        chest = image("chest512x512x200_u16.raw", (512, 512, 200), np.uint16)
        surface("chest 512^2x200 iso 500", chest, 500, runs=3)
        surface("chest 512^2x200 iso 1400", chest, 1400, runs=3)


if __name__ == "__main__":
    main()
