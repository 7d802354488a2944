#!/usr/bin/python3
"""Writes the real volumes of the peer comparisons as raw voxels (x fastest,
little-endian) into the folder given, from files that Debian packages ship:

- mri_head_u16.raw, mri_head_u8.raw: a T1 MRI head, 128 x 128 x 62, from
  insighttoolkit5-examples; the 8-bit copy is scaled so that the brightest
  0.1 % of the voxels saturate.
- ct_stack_u16.raw, ct_stack_u8.raw: the 128 x 128 CT slice of python3-pydicom's
  test files, stacked 128 times (stored values, air about 150, soft tissue
  about 1000, bone above 1400); the 8-bit copy is value / 8.

Standard library and pydicom only. Prints what it could not find and goes on.
"""
import array
import gzip
import os
import struct
import sys

MRI = "/usr/share/doc/insighttoolkit5-examples/examples/Data/KmeansTest_T1UCharRaw.nii.gz"
CT = "/usr/lib/python3/dist-packages/pydicom/data/test_files/CT_small.dcm"
CT_SLICES = 128


def write(folder, name, values, typecode):
    a = array.array(typecode, values)
    if sys.byteorder != "little":
        a.byteswap()
    with open(os.path.join(folder, name), "wb") as f:
        a.tofile(f)


def mri(folder):
    raw = gzip.open(MRI).read()
    dims = struct.unpack("<8h", raw[40:56])
    datatype = struct.unpack("<h", raw[70:72])[0]
    offset = int(struct.unpack("<f", raw[108:112])[0])
    if dims[:4] != (3, 128, 128, 62) or datatype != 4:  # int16
        raise ValueError(f"unexpected NIfTI header: dims {dims}, datatype {datatype}")
    n = 128 * 128 * 62
    v = array.array("h")
    v.frombytes(raw[offset:offset + 2 * n])
    if sys.byteorder != "little":
        v.byteswap()
    u16 = [max(0, x) for x in v]
    top = sorted(u16)[int(0.999 * n)] or 1
    write(folder, "mri_head_u16.raw", u16, "H")
    write(folder, "mri_head_u8.raw", [min(255, x * 255 // top) for x in u16], "B")


def ct(folder):
    import pydicom

    d = pydicom.dcmread(CT)
    if (d.Rows, d.Columns, d.BitsAllocated) != (128, 128, 16):
        raise ValueError("unexpected CT slice")
    v = array.array("h" if d.PixelRepresentation else "H")
    v.frombytes(d.PixelData[:2 * 128 * 128])
    if sys.byteorder != "little":
        v.byteswap()
    s = [max(0, x) for x in v]
    write(folder, "ct_stack_u16.raw", s * CT_SLICES, "H")
    write(folder, "ct_stack_u8.raw", [min(255, x // 8) for x in s] * CT_SLICES, "B")


def main():
    folder = sys.argv[1]
    for what, make in (("MRI head (insighttoolkit5-examples)", mri), ("CT slice (python3-pydicom)", ct)):
        try:
            make(folder)
        except (OSError, ValueError, ImportError) as e:
            print(f"real volumes: no {what}: {e}", file=sys.stderr)


if __name__ == "__main__":
    main()
