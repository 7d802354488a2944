#!/usr/bin/python3
"""Frames per second of Vexilo's default volume renderer against VTK's GPU
ray-cast mapper: the same 256^3 8-bit volume, an 800 x 600 window each on
the same X display, the same transfer function (grey ramp, opacity ramp),
the volume turning one degree a frame; normal compositing and MIP, round by
round in turn so that both see the same load.

Vexilo's side is bench_volume_render --serve, which writes the volume and
renders on request; VTK renders in this process. Both draw through Mesa's
GLX (llvmpipe) with the same LP_NUM_THREADS.

Not part of CI: needs Debian's python3-vtk9 and python3-numpy and an X
display (see run_volume_render.sh). Usage:
  vtk_volume_render.py BENCH_VOLUME_RENDER [rounds] [frames per round] [picture folder]
With a picture folder, each side's frame of each mode at a 30-degree turn
is written there as a PNG, to see that both drew the same. With
VEXILO_BENCH_WHOLE=1 a third side is Vexilo drawing whole slices, its
empty space included (the reference path of the 2D-texture renderers).
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
import vtk
from vtk.util import numpy_support

WIDTH, HEIGHT = 800, 600


class Vexilo:
    def __init__(self, program, dump):
        self.proc = subprocess.Popen([program, "--serve=" + dump], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     text=True, bufsize=1)
        ready = self.proc.stdout.readline().split()
        if not ready or ready[0] != "ready":
            raise RuntimeError("bench_volume_render did not start")
        self.dims = tuple(int(v) for v in ready[1:4])
        self.description = " ".join(ready[4:])

    def frames(self, mode, n):
        self.proc.stdin.write(f"{mode} {n}\n")
        self.proc.stdin.flush()
        return float(self.proc.stdout.readline())

    def whole(self, on):
        self.proc.stdin.write(f"whole {1 if on else 0}\n")
        self.proc.stdin.flush()
        self.proc.stdout.readline()

    def turn(self, mode, degrees):
        self.proc.stdin.write(f"turn {mode} {degrees}\n")
        self.proc.stdin.flush()
        self.proc.stdout.readline()

    def picture(self, path):
        self.proc.stdin.write(f"picture {path}\n")
        self.proc.stdin.flush()
        return self.proc.stdout.readline().strip() == "1"

    def close(self):
        self.proc.stdin.write("quit\n")
        self.proc.stdin.flush()
        self.proc.wait()


class Vtk:
    def __init__(self, dump, dims):
        nx, ny, nz = dims
        voxels = np.fromfile(dump, dtype=np.uint8)
        # Vexilo draws voxel row y at world -y: the same picture needs the
        # rows flipped.
        voxels = voxels.reshape(nz, ny, nx)[:, ::-1, :].copy()
        image = vtk.vtkImageData()
        image.SetDimensions(nx, ny, nz)
        image.SetOrigin(-(nx - 1) / 2.0, -(ny - 1) / 2.0, -(nz - 1) / 2.0)
        image.GetPointData().SetScalars(numpy_support.numpy_to_vtk(voxels.ravel(), deep=1))

        self.mapper = vtk.vtkGPUVolumeRayCastMapper()
        self.mapper.SetInputData(image)
        # One sample per voxel spacing, as Vexilo draws one slice per voxel,
        # and no lowering of the quality to keep up a frame rate.
        self.mapper.SetAutoAdjustSampleDistances(0)
        self.mapper.SetSampleDistance(1.0)
        colour = vtk.vtkColorTransferFunction()
        colour.AddRGBPoint(0, 0, 0, 0)
        colour.AddRGBPoint(255, 1, 1, 1)
        opacity = vtk.vtkPiecewiseFunction()
        opacity.AddPoint(0, 0)
        opacity.AddPoint(255, 1)
        prop = vtk.vtkVolumeProperty()
        prop.SetColor(colour)
        prop.SetScalarOpacity(opacity)
        prop.SetScalarOpacityUnitDistance(1.0)
        prop.SetInterpolationTypeToLinear()
        prop.ShadeOff()
        self.volume = vtk.vtkVolume()
        self.volume.SetMapper(self.mapper)
        self.volume.SetProperty(prop)

        renderer = vtk.vtkRenderer()
        renderer.SetBackground(0, 0, 0)
        renderer.AddVolume(self.volume)
        self.window = vtk.vtkRenderWindow()
        self.window.SetSize(WIDTH, HEIGHT)
        self.window.SetWindowName("VTK volume benchmark")
        self.window.AddRenderer(renderer)
        # Vexilo's camera: 1.75 diagonals away, 30 degrees, its clip range.
        size = float(np.sqrt(nx * nx + ny * ny + nz * nz))
        camera = renderer.GetActiveCamera()
        camera.SetPosition(0, 0, 1.75 * size)
        camera.SetFocalPoint(0, 0, 0)
        camera.SetViewUp(0, 1, 0)
        camera.SetViewAngle(30)
        camera.SetClippingRange(max(1.25 * size - 20, 0.001), 2.25 * size + 20)
        self.degrees = 0
        for mode in ("normal", "mip"):
            self.frames(mode, 1)

    def frames(self, mode, n):
        if mode == "mip":
            self.mapper.SetBlendModeToMaximumIntensity()
        else:
            self.mapper.SetBlendModeToComposite()
        t0 = time.perf_counter()
        for _ in range(n):
            self.degrees = (self.degrees + 1) % 360
            self.volume.SetOrientation(0, self.degrees, 0)
            self.window.Render()
        self.window.WaitForCompletion()
        return time.perf_counter() - t0

    def picture(self, path):
        grab = vtk.vtkWindowToImageFilter()
        grab.SetInput(self.window)
        grab.ReadFrontBufferOff()
        grab.Update()
        writer = vtk.vtkPNGWriter()
        writer.SetFileName(path)
        writer.SetInputConnection(grab.GetOutputPort())
        writer.Write()
        return True


def main():
    program = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    frames = int(sys.argv[3]) if len(sys.argv) > 3 else 20
    pictures = sys.argv[4] if len(sys.argv) > 4 else None
    with tempfile.TemporaryDirectory() as tmp:
        dump = os.path.join(tmp, "volume.raw")
        ours = Vexilo(program, dump)
        peer = Vtk(dump, ours.dims)
        for mode in ("normal", "mip"):
            ours.frames(mode, 2)
        print(f"volume {ours.dims[0]}x{ours.dims[1]}x{ours.dims[2]} 8-bit, window {WIDTH}x{HEIGHT}, "
              f"{frames} frames a round, LP_NUM_THREADS={os.environ.get('LP_NUM_THREADS', 'all cores')}")
        print(f"Vexilo: {ours.description}")
        print("VTK: " + peer.mapper.GetClassName())
        sides = ["vexilo", "vtk"] + (["whole"] if os.environ.get("VEXILO_BENCH_WHOLE") == "1" else [])
        fps = {(side, mode): [] for side in sides for mode in ("normal", "mip")}

        def run(side, mode):
            if side == "vtk":
                return peer.frames(mode, frames)
            ours.whole(side == "whole")
            return ours.frames(mode, frames)

        for r in range(rounds):
            for mode in ("normal", "mip"):
                # Who goes first changes every round.
                order = sides if r % 2 == 0 else sides[::-1]
                for side in order:
                    fps[(side, mode)].append(frames / run(side, mode))
            print(f"round {r + 1}: " + "  ".join(
                f"{mode} " + " ".join(f"{side} {fps[(side, mode)][-1]:6.2f}" for side in sides)
                for mode in ("normal", "mip")), flush=True)
        ours.whole(False)
        if pictures:
            os.makedirs(pictures, exist_ok=True)
            for mode in ("normal", "mip"):
                # Both at the same turn of 30 degrees.
                ours.turn(mode, 30)
                ours.picture(os.path.join(pictures, f"vexilo-{mode}.png"))
                peer.degrees = 29
                peer.frames(mode, 1)
                peer.picture(os.path.join(pictures, f"vtk-{mode}.png"))
        ours.close()
        for mode in ("normal", "mip"):
            a = statistics.median(fps[("vexilo", mode)])
            b = statistics.median(fps[("vtk", mode)])
            line = f"{mode:6s}  median fps: vexilo {a:6.2f}  vtk {b:6.2f}  ratio {a / b:5.2f}"
            if "whole" in sides:
                w = statistics.median(fps[("whole", mode)])
                line += f"  (whole slices {w:6.2f}, ratio {w / b:5.2f})"
            print(line)


if __name__ == "__main__":
    main()
