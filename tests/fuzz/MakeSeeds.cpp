// Writes the fuzz seeds that the project's own writers make (native volume
// and mesh files, raw and OFF exports, transfer functions, DICOM images,
// endoscope records, slices) into corpus folders under the folder given.
// The committed corpora were made with it, beside files of real data sets.
// Usage: fuzz_make_seeds OUT_FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../data/DicomTestImages.h"
#include "FuzzSupport.h"
#include "data/Mesh.h"
#include "data/Volume.h"
#include "render/MeshRenderer.h"
#include "render/TransferFunction.h"
#include "support/EndoscopeCapture.h"
#include "support/TriangleMesh.h"

namespace fs = std::filesystem;

namespace {
std::string g_out;

std::string Path(const std::string& target, const std::string& name)
{
    fs::create_directories(g_out + "/" + target);
    return g_out + "/" + target + "/" + name;
}

std::string Read(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void Put(const std::string& target, const std::string& name, const std::string& bytes)
{
    std::ofstream(Path(target, name), std::ios::binary) << bytes;
}

// Makes a file with `write` in a scratch place and keeps its bytes.
template <class Write> std::string Made(Write write)
{
    const std::string p = fuzz::ScratchRoot() + "/made";
    fs::remove(p);
    write(p);
    std::string bytes = Read(p);
    fs::remove(p);
    return bytes;
}

std::unique_ptr<CNativeVolume> Patterned(int x, int y, int z, int bits)
{
    auto v = std::make_unique<CNativeVolume>(x, y, z, bits);
    for (int k = 0; k < z; ++k)
        for (int j = 0; j < y; ++j)
            for (int i = 0; i < x; ++i)
                v->SetVoxel(i, j, k, std::uint16_t(bits == 8 ? (i * 40 + j * 9 + k * 70) & 0xFF : i * 4000 + j * 900 + k * 7));
    v->SetVoxelSize(0.5f, 1.0f, 2.0f);
    v->BuildHistogram();
    return v;
}

using capture::Head2;
using capture::Head3;
using capture::Header1;
using capture::Marker;

// A version 1 frame of `items` valid sensors along a short line.
std::string Frame1(int items, std::int16_t marker)
{
    std::vector<capture::Item> line;
    for (int i = 0; i < items; ++i)
        line.push_back({0.01f * float(i), 0.02f * float(i), 0.09f * float(i), 0.1f * float(i), 0.2f, true});
    return capture::Frame1(line, marker);
}

// A version 2 or 3 frame of `sensors` valid sensors along a short line.
std::string FrameV(int version, int sensors, bool valid, bool extension)
{
    std::vector<capture::Sensor> line;
    for (int i = 0; i < sensors; ++i)
        line.push_back({true, 0.1f * float(i), 0.0f, 0.05f * float(i), 0.0f, 0.0f, 1.0f});
    return capture::FrameV(version, line, valid, 0.5f, extension);
}

std::string Cut(std::initializer_list<std::string> pieces)
{
    std::string s;
    bool first = true;
    for (const std::string& p : pieces) {
        s += (first ? "" : std::string(fuzz::kCut)) + p;
        first = false;
    }
    return s;
}

std::string Dicom(const ImageSpec& spec)
{
    return Made([&](const std::string& p) { WriteImage(p, spec); });
}

void NativeSeeds()
{
    auto v8 = Patterned(4, 3, 2, 8);
    Put("native", "volume8.vxq", Made([&](const std::string& p) { v8->Save(p); }));
    auto v16 = Patterned(3, 2, 2, 16);
    Put("native", "volume16.vxq", Made([&](const std::string& p) { v16->Save(p); }));
    Put("native", "volume16as8.vxq", Made([&](const std::string& p) { v16->Save8Bit(p); }));
    auto mesh = MakeTriangleRow(2);
    Put("native", "mesh.vxq", Made([&](const std::string& p) { mesh->Save(p); }));
}

void RawSeeds()
{
    // The first byte picks the layout of FuzzRaw.cpp.
    auto v8 = Patterned(8, 8, 8, 8);
    Put("raw", "layout0.raw", std::string(1, '\0') + Made([&](const std::string& p) { v8->ExportRaw(p); }));
    auto v16 = Patterned(4, 4, 4, 16);
    const std::string raw16 = Made([&](const std::string& p) { v16->ExportRaw(p); });
    Put("raw", "layout1.raw", std::string(1, '\1') + raw16);
    Put("raw", "layout2.raw", std::string(1, '\2') + std::string(16, 'h') + raw16);
    Put("raw", "layout5.raw", std::string(1, '\5') + std::string(1 + 3 * 5 * 7 * 2, 'v'));
    Put("raw", "cancelled.raw", std::string(1, '\x80') + raw16);
}

void MeshSeeds()
{
    Put("obj", "triangle.obj", "# one face\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    Put("obj", "quad.obj", "g side\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\nvt 0 0\nf 1/1/1 2/1/1 3/1/1 4/1/1\n");
    Put("obj", "groups.obj",
        "mtllib x.mtl\no thing\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\ng a\nusemtl m\nf -4 -3 -2\ng b c\n"
        "s 1\nf 1//1 2//1 4//1\nvn 1 0 0\nf 2/2 3/3 4/4\nvt 0.5 0.5\n");
    auto mesh = MakeTriangleRow(2);
    Put("off", "exported.off", Made([&](const std::string& p) { mesh->SaveOFF(p); }));
    Put("off", "noff.off", "NOFF\n3 1 0\n0 0 0 0 0 1\n1 0 0 0 0 1\n0 1 0 0 0 1\n3 0 1 2\n");
    Put("off", "coff.off", "COFF\n# colours\n4 1 0\n0 0 0 255 0 0 255\n1 0 0 0 255 0 255\n1 1 0 0 0 255 255\n"
                           "0 1 0 9 9 9 255\n4 0 1 2 3 255 255 255\n");
}

void EndoscopeSeeds()
{
    Put("endoscope", "v1-alone.img", Header1(2, 0.5, {0.09, 0.18}));
    Put("endoscope", "v2.img", Head2() + FrameV(2, 2, true, false) + FrameV(2, 3, false, false));
    Put("endoscope", "v3.img", Head3() + FrameV(3, 2, true, true) + FrameV(3, 4, true, false));
    Put("endoscope_v1", "v1.img",
        Cut({Header1(2, 0.5, {0.09, 0.18, 0.27}), Frame1(2, 0) + Frame1(3, 1),
             Marker(1, 1, 1) + Marker(0.1, 0.2, 0.3)}));
    Put("endoscope_v1", "v1-no-markers.img", Cut({Header1(3, 0, {0.09}), Frame1(3, -1)}));
}

void SliceSeeds()
{
    std::string rgb;
    for (int s = 0; s < 3; ++s)
        rgb += (s ? std::string(fuzz::kCut) : "") + std::string("\xff\x00\x00\xff\x00\xff\x00\xff\x00\x00\xff\xff", 12);
    Put("rgb_slices", "2x2.raw", std::string(1, '\0') + rgb);
    Put("rgb_slices", "2x2-grey.raw", std::string(1, '\x80') + rgb);
    Put("rgb_slices", "4x3.raw", std::string(1, '\1') + std::string(36, 'a') + std::string(fuzz::kCut) + std::string(20, 'b'));
    std::string be;
    for (int s = 0; s < 2; ++s) {
        be += s ? std::string(fuzz::kCut) : "";
        for (int v : {0, 1000, 65535, 300 * (s + 1)})
            be += std::string{char(v >> 8), char(v & 0xFF)};
    }
    Put("grey_slices", "2x2.raw", std::string(1, '\0') + be);
    Put("grey_slices", "3x2-header.raw", std::string(1, '\1') + "HEAD" + std::string(12, '\x10') + std::string(fuzz::kCut) + "HEAD" + std::string(12, '\x7f'));
}

void TfnSeeds()
{
    CNativeVolume volume(4, 4, 4, 8);
    CMeshRenderer renderer(&volume, nullptr, 10, 10);
    CTransferFunction& tf = *renderer.m_pTransferFunction;
    Put("tfn", "default.tfn", Made([&](const std::string& p) { tf.Save(p); }));
    tf.m_bSpline = 0;
    tf.m_aPoints[3] = {{0, 0}, {40, 200}, {90, 10}, {255, 255}};
    tf.m_aPoints[0] = {{0, 255}, {255, 0}};
    Put("tfn", "linear.tfn", Made([&](const std::string& p) { tf.Save(p); }));
}

void DicomSeeds()
{
    ImageSpec s16;
    s16.pixelSpacing = "0.5\\0.75";
    s16.thickness = "2";
    Put("dicom", "written16.dcm", Dicom(s16));
    ImageSpec s8;
    s8.bits = 8;
    s8.rows = 5;
    s8.columns = 3;
    s8.centre = "128";
    s8.width = "256";
    Put("dicom", "written8.dcm", Dicom(s8));
    ImageSpec s12;
    s12.stored = 12;
    s12.location = "-4.5";
    Put("dicom", "written12.dcm", Dicom(s12));

    std::vector<std::string> files;
    for (int i = 1; i <= 3; ++i) {
        ImageSpec s;
        s.instance = 4 - i;
        s.location = std::to_string(i * 2);
        s.spacing = "2";
        s.rows = s.columns = 4;
        files.push_back(Dicom(s));
    }
    Put("dicom_folder", "series3.dcm", Cut({files[0], files[1], files[2]}));
    ImageSpec other;
    other.series = "1.2.826.0.1.3680043.10.1.2";
    other.rows = other.columns = 4;
    ImageSpec noInstance;
    noInstance.instance.reset();
    noInstance.rows = noInstance.columns = 4;
    Put("dicom_folder", "mixed.dcm", Cut({files[0], Dicom(other), files[2], Dicom(noInstance)}));
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT_FOLDER\n", argv[0]);
        return 2;
    }
    g_out = argv[1];
    NativeSeeds();
    RawSeeds();
    MeshSeeds();
    EndoscopeSeeds();
    SliceSeeds();
    TfnSeeds();
    DicomSeeds();
    return 0;
}
