#!/usr/bin/env python3
"""render_snapshot's fly-through frames are the program's: the eye stands
inside the volume whatever --turn says for the other modes, so a frame from
inside a hollow box sees a wall at every pixel.
Usage: SnapshotFlyThroughTest.py RENDER_SNAPSHOT"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

W, H, D = 64, 32, 16
FRAME_W, FRAME_H = 160, 120


def hollow_box(path):
    voxels = bytearray(W * H * D)
    for z in range(D):
        for y in range(H):
            for x in range(W):
                if x < 2 or x >= W - 2 or y < 2 or y >= H - 2 or z < 2 or z >= D - 2:
                    voxels[(z * H + y) * W + x] = 200
    with open(path, "wb") as f:
        f.write(voxels)


def lit_pixels(path):
    """Pixels other than black in the tool's PNG (8-bit RGB, unfiltered)."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, width, height, idat = 8, 0, 0, b""
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert (depth, colour) == (8, 2), "not 8-bit RGB"
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = 1 + 3 * width
    lit = 0
    for row in range(height):
        line = raw[row * stride:(row + 1) * stride]
        assert line[0] == 0, "filtered row"
        lit += sum(1 for i in range(1, stride, 3) if line[i:i + 3] != b"\0\0\0")
    return lit, width * height


def main():
    tool = sys.argv[1]
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        raw = os.path.join(tmp, "box.raw")
        hollow_box(raw)
        for extra in ([], ["--3d"], ["--3d", "--shells"]):
            # The default turn (30 degrees) would put this eye outside the box.
            for eye, look in (("20,5,0", "1,0,0"), ("-20,-8,4", "0,0,-1")):
                out = os.path.join(tmp, "frame.png")
                args = [tool, out, f"--raw={raw}:{W}x{H}x{D}", "--mode=4", f"--eye={eye}", f"--look={look}",
                        f"--size={FRAME_W}x{FRAME_H}"] + extra
                subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
                lit, total = lit_pixels(out)
                if lit != total:
                    print(f"FAIL: {' '.join(args[2:])}: {lit} of {total} pixels lit")
                    failures += 1
    if failures:
        sys.exit(1)
    print("every fly-through frame from inside the box sees its walls")


if __name__ == "__main__":
    main()
