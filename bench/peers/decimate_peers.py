#!/usr/bin/python3
"""Our decimation and VTK's vtkQuadricDecimation on the same mesh, alternated
round by round, each run in a fresh process of its own on one thread.

The mesh is bench_decimate's input: the marching-cubes torus of
bench/Phantoms.h, 1.2 M triangles. Voxels exactly at the iso value give it
zero-area triangles and duplicate vertices, on which VTK's decimation stalls;
the welded torus (duplicates merged, the triangles that then name a vertex
twice dropped) is the main case, the raw one the second.

For each case it prints the time per mesh of both and their ratio (best, and
median of the per-round ratios), and for each result the distance to the
input surface both ways (mean, rms, largest; their larger largest is the
Hausdorff distance), sampled at vertices and triangle centres, and the
triangles whose normal opposes the input's nearest triangle.

Not part of CI: needs Debian's python3-vtk9 and python3-numpy; run with
/usr/bin/python3 from the source tree after building:
    bench/peers/decimate_peers.py [--build build] [--rounds 5] [--raw-rounds 1]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
import vtk
from vtk.util import numpy_support

HERE = os.path.dirname(os.path.abspath(__file__))


def read_mesh(prefix):
    v = np.fromfile(prefix + "_vertices_f32.raw", dtype=np.float32).reshape(-1, 3)
    f = np.fromfile(prefix + "_indices_i32.raw", dtype=np.int32).reshape(-1, 3)
    return v, f


def write_mesh(prefix, v, f):
    np.ascontiguousarray(v, dtype=np.float32).tofile(prefix + "_vertices_f32.raw")
    np.ascontiguousarray(f, dtype=np.int32).tofile(prefix + "_indices_i32.raw")


def areas(v, f):
    p = v.astype(np.float64)[f]
    return 0.5 * np.linalg.norm(np.cross(p[:, 1] - p[:, 0], p[:, 2] - p[:, 0]), axis=1)


def weld(v, f):
    """Vertices at the same position merged, in first-use order; triangles that
    then name a vertex twice dropped."""
    unique, first, inverse = np.unique(v, axis=0, return_index=True, return_inverse=True)
    order = np.argsort(first)
    rank = np.empty_like(order)
    rank[order] = np.arange(len(order))
    g = rank[inverse.ravel()][f]
    keep = (g[:, 0] != g[:, 1]) & (g[:, 1] != g[:, 2]) & (g[:, 0] != g[:, 2])
    return unique[order], g[keep].astype(np.int32)


def polydata(v, f):
    poly = vtk.vtkPolyData()
    points = vtk.vtkPoints()
    points.SetData(numpy_support.numpy_to_vtk(np.ascontiguousarray(v, dtype=np.float32), deep=1))
    poly.SetPoints(points)
    cells = vtk.vtkCellArray()
    offsets = numpy_support.numpy_to_vtk(np.arange(0, 3 * len(f) + 1, 3, dtype=np.int64), deep=1)
    conn = numpy_support.numpy_to_vtk(f.astype(np.int64).ravel(), deep=1)
    cells.SetData(offsets, conn)
    poly.SetPolys(cells)
    return poly


def single_thread():
    smp = vtk.vtkSMPTools
    if hasattr(smp, "SetBackend"):
        smp.SetBackend("Sequential")
    smp.Initialize(1)


def vtk_once(prefix, percent, out):
    """One VTK decimation in this process; prints as decimate_mesh does."""
    single_thread()
    v, f = read_mesh(prefix)
    poly = polydata(v, f)
    q = vtk.vtkQuadricDecimation()
    q.SetInputData(poly)
    q.SetTargetReduction(1.0 - percent / 100.0)
    wall0, cpu0 = time.perf_counter(), time.thread_time()
    q.Update()
    cpu, wall = time.thread_time() - cpu0, time.perf_counter() - wall0
    res = q.GetOutput()
    rv = numpy_support.vtk_to_numpy(res.GetPoints().GetData())
    rf = numpy_support.vtk_to_numpy(res.GetPolys().GetConnectivityArray()).reshape(-1, 3)
    write_mesh(out, rv, rf)
    print(f"{wall:.6f} {cpu:.6f} {len(rf)}")


def samples(v, f):
    """The vertices and the triangle centres."""
    return np.concatenate([v.astype(np.float64), v.astype(np.float64)[f].mean(axis=1)])


def distances(points, surface):
    """Unsigned distance of each point to the triangles of `surface`."""
    d = vtk.vtkImplicitPolyDataDistance()
    d.SetInput(surface)
    values = vtk.vtkDoubleArray()
    d.FunctionValue(numpy_support.numpy_to_vtk(points, deep=1), values)
    return np.abs(numpy_support.vtk_to_numpy(values))


def flipped(v, f, surface, surface_normals):
    """Triangles whose normal points against the nearest input triangle's."""
    locator = vtk.vtkStaticCellLocator()
    locator.SetDataSet(surface)
    locator.BuildLocator()
    p = v.astype(np.float64)[f]
    n = np.cross(p[:, 1] - p[:, 0], p[:, 2] - p[:, 0])
    closest, cell, sub, d2 = [0.0, 0.0, 0.0], vtk.reference(0), vtk.reference(0), vtk.reference(0.0)
    count = 0
    for c, normal in zip(p.mean(axis=1), n):
        locator.FindClosestPoint(c, closest, cell, sub, d2)
        if np.dot(normal, surface_normals[cell.get()]) < 0:
            count += 1
    return count


class Surface:
    """The input surface, for the error measures: the welded mesh, the same set of
    points as the raw one (whose extra triangles have no area)."""

    def __init__(self, v, f):
        self.v, self.f = v, f
        self.poly = polydata(v, f)
        p = v.astype(np.float64)[f]
        self.normals = np.cross(p[:, 1] - p[:, 0], p[:, 2] - p[:, 0])
        self.points = samples(v, f)

    def error(self, v, f):
        out = polydata(v, f)
        there = distances(samples(v, f), self.poly)
        back = distances(self.points, out)
        stats = lambda d: (d.mean(), np.sqrt((d * d).mean()), d.max())
        return stats(there), stats(back), flipped(v, f, self.poly, self.normals)


def run(cmd):
    out = subprocess.run(cmd, capture_output=True, text=True, check=True).stdout.split()
    return float(out[0]), float(out[1]), int(out[2])


def compare(name, prefix, percent, rounds, tool, work, surface):
    ours_cmd = [tool, "run", prefix + "_vertices_f32.raw", prefix + "_indices_i32.raw", str(percent),
                os.path.join(work, "ours")]
    vtk_cmd = [sys.executable, os.path.abspath(__file__), "--vtk-once", prefix, str(percent),
               os.path.join(work, "vtk")]
    times = {"ours": [], "vtk": []}
    for r in range(rounds):
        # Each goes first every other round.
        for who in (("ours", "vtk") if r % 2 == 0 else ("vtk", "ours")):
            wall, cpu, tris = run(ours_cmd if who == "ours" else vtk_cmd)
            times[who].append((wall, cpu, tris))
            print(f"  round {r + 1} {who:4s} {wall * 1000:9.0f} ms wall {cpu * 1000:9.0f} ms cpu  {tris} triangles",
                  flush=True)
    print(f"{name}, to {percent} %:")
    for who in ("ours", "vtk"):
        wall = [t[0] for t in times[who]]
        print(f"  {who:4s} best {min(wall) * 1000:8.0f} ms  median {statistics.median(wall) * 1000:8.0f} ms"
              f"  ({times[who][-1][2]} triangles)")
    ratios = [a[0] / b[0] for a, b in zip(times["ours"], times["vtk"])]
    best = min(t[0] for t in times["ours"]) / min(t[0] for t in times["vtk"])
    print(f"  ours / vtk time: best {best:.3f}, median of per-round ratios {statistics.median(ratios):.3f}")
    for who in ("ours", "vtk"):
        there, back, flips = surface.error(*read_mesh(os.path.join(work, who)))
        tris = times[who][-1][2]
        print(f"  {who:4s} to input: mean {there[0]:.4f} rms {there[1]:.4f} max {there[2]:.3f};"
              f"  input to it: mean {back[0]:.4f} rms {back[1]:.4f} max {back[2]:.3f};"
              f"  Hausdorff {max(there[2], back[2]):.3f};  flipped {flips} ({100.0 * flips / tris:.2f} %)",
              flush=True)


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "--vtk-once":
        vtk_once(sys.argv[2], float(sys.argv[3]), sys.argv[4])
        return
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(HERE, "..", "..", "build"))
    ap.add_argument("--rounds", type=int, default=5)
    ap.add_argument("--raw-rounds", type=int, default=1, help="rounds on the raw torus (VTK takes minutes)")
    ap.add_argument("--percent", type=float, nargs="*", default=[10.0, 1.0])
    args = ap.parse_args()
    tool = os.path.join(args.build, "bench", "decimate_mesh")
    print(vtk.vtkVersion.GetVTKSourceVersion(), "; one thread each, fresh processes, alternated", flush=True)
    with tempfile.TemporaryDirectory() as work:
        subprocess.run([tool, "torus", work], check=True)
        raw = os.path.join(work, "torus")
        v, f = read_mesh(raw)
        a = areas(v, f)
        wv, wf = weld(v, f)
        welded = os.path.join(work, "welded")
        write_mesh(welded, wv, wf)
        print(f"raw torus: {len(f)} triangles, {np.count_nonzero(a == 0)} of zero area, {len(v)} vertices, "
              f"{len(v) - len(wv)} duplicates; welded: {len(wf)} triangles, {len(wv)} vertices", flush=True)
        surface = Surface(wv, wf)
        for percent in args.percent:
            compare("welded torus", welded, percent, args.rounds, tool, work, surface)
        if args.raw_rounds > 0:
            for percent in args.percent:
                compare("raw torus", raw, percent, args.raw_rounds, tool, work, surface)


if __name__ == "__main__":
    main()
