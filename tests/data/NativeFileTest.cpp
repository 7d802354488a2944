#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "FileBytes.h"
#include "data/DataLock.h"
#include "data/NativeLoader.h"
#include "data/NativeMesh.h"
#include "data/Volume.h"
#include "support/TempDir.h"

namespace {
std::unique_ptr<CModel> LoadNative(const std::string& path)
{
    CNativeLoader loader;
    CModelSeries series;
    if (!loader.Load(path, series))
        return nullptr;
    EXPECT_EQ(series.size(), 1u);
    return std::move(series.front());
}

std::string VoxelBytes(CVolume& v)
{
    CDataLock lock(v);
    return lock.Get() ? std::string(reinterpret_cast<const char*>(lock.Get()), v.m_nDataBytes) : std::string();
}

// A cube's 8 corners and 12 triangles, with normals that no normal
// computation would give, to show they are stored and not recomputed.
void MakeCube(CMesh& m)
{
    CVector3* v = m.SetVertexCount(8);
    for (int i = 0; i < 8; ++i) {
        v[i] = {float(i & 1), float((i >> 1) & 1) * 2.0f, float((i >> 2) & 1) * 3.0f};
        m.m_pNormals[i] = {0.125f * i, -1.0f, 7.5f};
    }
    const std::int32_t tri[36] = {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                                  2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3};
    std::int32_t* idx = m.SetIndexCount(36);
    std::copy(tri, tri + 36, idx);
    m.m_nPolygons = 12;
    m.m_nPrimitive = kGlTriangles;
}

// A well-formed one-triangle mesh file (93 + 72 + 12 bytes) with chosen counts.
FileBytes MeshFile(std::int32_t primitive, std::int32_t n, std::int32_t polygons, std::int32_t m,
                   std::int32_t lastIndex = 2)
{
    FileBytes f;
    f.I32(-1).U8(1).I32(0x00112233).I32(0x00445566);
    for (int i = 0; i < 6; ++i)
        f.F32(0.5f);
    f.I32(primitive).I32(n).I32(polygons).I32(m);
    for (int i = 0; i < 10; ++i)
        f.F32(1.0f);
    for (int i = 0; i < 18; ++i)
        f.F32(float(i));
    f.I32(0).I32(1).I32(lastIndex);
    return f;
}

// A grey (or, with a negative dimY, RGB) 2x2x2 volume file.
FileBytes VolumeFile(std::int32_t dimX, std::int32_t dimY, std::int32_t dimZ, std::int32_t bits, std::int32_t n,
                     float scale = 1.0f)
{
    FileBytes f;
    f.I32(dimX).I32(dimY).I32(dimZ).I32(bits).F32(scale).F32(scale).F32(scale).Fill(256, '\0').I32(n);
    return f;
}
} // namespace

TEST(NativeFile, CubeMeshLayoutAndRoundTrip)
{
    TempDir dir;
    CObjMesh cube;
    MakeCube(cube);
    cube.m_bClockwise = true;
    cube.AddGroup(0, 36, "Group 1");
    cube.m_bSolid = false;
    cube.m_crSolid = 0x00010203;
    const std::string path = dir.File("cube.vxq");
    ASSERT_TRUE(cube.Save(path));

    const std::string bytes = TempDir::Read(path);
    ASSERT_EQ(bytes.size(), 429u);
    EXPECT_EQ(bytes.substr(0, 4), std::string(4, '\xFF'));
    EXPECT_EQ(bytes[4], 0) << "solid flag";
    EXPECT_EQ(std::uint32_t(I32At(bytes, 5)), 0x00010203u);
    EXPECT_EQ(I32At(bytes, 37), kGlTriangles);
    EXPECT_EQ(I32At(bytes, 41), 8);
    EXPECT_EQ(I32At(bytes, 45), 12);
    EXPECT_EQ(I32At(bytes, 49), 36);
    // Corner rule: smallest x, largest y, largest z first.
    EXPECT_EQ(F32At(bytes, 53), 0.0f);
    EXPECT_EQ(F32At(bytes, 57), 2.0f);
    EXPECT_EQ(F32At(bytes, 61), 3.0f);
    EXPECT_EQ(F32At(bytes, 65), 1.0f);
    EXPECT_EQ(F32At(bytes, 69), 0.0f);
    EXPECT_EQ(F32At(bytes, 73), 0.0f);
    EXPECT_EQ(F32At(bytes, 93 + 12 * 7), 1.0f) << "vertex 7 x";
    EXPECT_EQ(I32At(bytes, 93 + 192 + 4 * 35), 3) << "last index";

    auto model = LoadNative(path);
    auto* mesh = dynamic_cast<CNativeMesh*>(model.get());
    ASSERT_NE(mesh, nullptr);
    EXPECT_FALSE(mesh->m_bDirty) << "bounds are the stored ones";
    EXPECT_EQ(mesh->m_pszDescription, "Native Vexilo mesh data.");
    EXPECT_FALSE(mesh->m_bSolid);
    EXPECT_EQ(mesh->m_crSolid, 0x00010203u);
    EXPECT_EQ(mesh->m_vSolidColour, cube.m_vSolidColour);
    ASSERT_EQ(mesh->m_nVertices, 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(mesh->m_pVertices[i], cube.m_pVertices[i]);
        EXPECT_EQ(mesh->m_pNormals[i], cube.m_pNormals[i]) << "normals come from the file";
    }
    ASSERT_EQ(mesh->m_nIndices, 36);
    EXPECT_TRUE(std::equal(mesh->m_pIndices.get(), mesh->m_pIndices.get() + 36, cube.m_pIndices.get()));
    EXPECT_EQ(mesh->m_vMin, CVector3(0, 2, 3));
    EXPECT_EQ(mesh->m_vMax, CVector3(1, 0, 0));
    EXPECT_TRUE(mesh->m_aGroups.empty()) << "groups are not stored";
    EXPECT_FALSE(mesh->m_bClockwise) << "winding is not stored";
}

TEST(NativeFile, VolumeSizesAndEightBitSave)
{
    TempDir dir;
    MinAlphaScope alpha(0.0f);
    CVolume v8(2, 2, 2, 8), v16(2, 2, 2, 16);
    const std::uint16_t values[8] = {65535, 32768, 128, 0, 1, 255, 256, 40000};
    for (int i = 0; i < 8; ++i) {
        v8.SetVoxel(i & 1, (i >> 1) & 1, i >> 2, std::uint8_t(i * 30));
        v16.SetVoxel(i & 1, (i >> 1) & 1, i >> 2, values[i]);
    }
    v8.SetVoxelSize(1.0f, 1.0f, 1.0f);
    v16.SetVoxelSize(0.5f, 1.0f, 2.0f);
    v16.m_histogram.m_display[7] = 99;

    struct Row {
        const char* what;
        CVolume* volume;
        bool eightBit;
        std::size_t size;
        std::int32_t bits;
    } rows[] = {
        {"8-bit", &v8, false, 296, 8},
        {"16-bit", &v16, false, 304, 16},
        {"16-bit saved as 8-bit", &v16, true, 296, 8},
        {"8-bit saved as 8-bit", &v8, true, 296, 8},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string path = dir.File("v.vxq");
        ASSERT_TRUE(r.eightBit ? r.volume->Save8Bit(path) : r.volume->Save(path));
        const std::string bytes = TempDir::Read(path);
        ASSERT_EQ(bytes.size(), r.size);
        EXPECT_EQ(I32At(bytes, 0), 2);
        EXPECT_EQ(I32At(bytes, 4), 2);
        EXPECT_EQ(I32At(bytes, 12), r.bits);
        EXPECT_EQ(F32At(bytes, 16), r.volume->m_fScaleX);
        EXPECT_EQ(F32At(bytes, 24), r.volume->m_fScaleZ);
        EXPECT_EQ(std::uint8_t(bytes[28 + 7]), r.volume->m_histogram.m_display[7]) << "the volume's own histogram";
        EXPECT_EQ(I32At(bytes, 284), std::int32_t(r.size - 288));
    }
    // 16-bit values through the 8-bit save: trunc(v / 65536 * 255 + 0.5).
    ASSERT_TRUE(v16.Save8Bit(dir.File("8.vxq")));
    const std::string bytes = TempDir::Read(dir.File("8.vxq"));
    const std::uint8_t want[8] = {255, 128, 0, 0, 0, 1, 1, 156};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(std::uint8_t(bytes[288 + i]), want[i]) << "voxel " << i;

    // Round trips: both depths read back as the same voxels and voxel size.
    for (CVolume* v : {&v8, &v16}) {
        ASSERT_TRUE(v->Save(dir.File("rt.vxq")));
        auto model = LoadNative(dir.File("rt.vxq"));
        auto* back = dynamic_cast<CNativeVolume*>(model.get());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->m_nBits, v->m_nBits);
        EXPECT_EQ(back->m_fScaleX, v->m_fScaleX);
        EXPECT_EQ(back->m_fHalfZ, v->m_fHalfZ);
        EXPECT_EQ(back->m_pszDescription, "Native Vexilo volume data.");
        EXPECT_EQ(VoxelBytes(*back), VoxelBytes(*v));
    }
}

TEST(NativeFile, RgbVolumeSignAndGreyConversion)
{
    TempDir dir;
    MinAlphaScope alpha(0.0f);
    CRgbVolume rgb(4, 3, 2);
    for (int i = 0; i < 24; ++i)
        rgb.SetVoxel(i % 4, (i / 4) % 3, i / 12, std::uint16_t(10 * i));
    rgb.m_pColour[5] = 201; // a colour that is not the grey value
    const std::string path = dir.File("rgb.vxq");
    ASSERT_TRUE(rgb.Save(path));
    std::string bytes = TempDir::Read(path);
    EXPECT_EQ(I32At(bytes, 4), -3);
    ASSERT_EQ(bytes.size(), 288u + 24 + 4 + 72);
    EXPECT_EQ(I32At(bytes, 288 + 24), 72);

    auto model = LoadNative(path);
    auto* back = dynamic_cast<CRgbVolume*>(model.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_nDimY, 3);
    EXPECT_TRUE(back->m_bRgb);
    ASSERT_EQ(back->m_nColourBytes, 72);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back->m_pColour.get()), 72),
              std::string(reinterpret_cast<const char*>(rgb.m_pColour.get()), 72));
    EXPECT_EQ(VoxelBytes(*back), VoxelBytes(rgb));
    EXPECT_TRUE(rgb.Save8Bit(dir.File("rgb8.vxq")));
    EXPECT_EQ(TempDir::Read(dir.File("rgb8.vxq")), bytes) << "the 8-bit save of an RGB volume is its save";

    rgb.DropColour();
    ASSERT_TRUE(rgb.Save(path));
    bytes = TempDir::Read(path);
    EXPECT_EQ(I32At(bytes, 4), 3);
    model = LoadNative(path);
    auto* grey = dynamic_cast<CNativeVolume*>(model.get());
    ASSERT_NE(grey, nullptr) << "a grey-converted volume reads back as a plain grey volume";
    EXPECT_EQ(VoxelBytes(*grey), VoxelBytes(rgb));
}

TEST(NativeFile, RgbFileWithoutColoursLoadsAsGrey)
{
    TempDir dir;
    FileBytes f = VolumeFile(2, -1, 1, 8, 2);
    f.U8(100).U8(200).I32(0);
    auto model = LoadNative(dir.Write("k0.vxq", f.bytes));
    auto* v = dynamic_cast<CRgbVolume*>(model.get());
    ASSERT_NE(v, nullptr);
    EXPECT_FALSE(v->m_bRgb) << "nothing to colour it with";
    EXPECT_EQ(v->m_pColour, nullptr);
    EXPECT_EQ(v->m_nDimY, 1);
}

TEST(NativeFile, SaveWithoutDataFailsAndCreatesNothing)
{
    TempDir dir;
    CVolume empty;
    CRgbVolume rgbEmpty;
    EXPECT_FALSE(empty.Save(dir.File("a.vxq")));
    EXPECT_FALSE(empty.Save8Bit(dir.File("a.vxq")));
    EXPECT_FALSE(rgbEmpty.Save(dir.File("a.vxq")));
    EXPECT_TRUE(dir.FilesStartingWith("").empty());
    CMesh mesh;
    EXPECT_FALSE(mesh.Save(dir.File("missing-folder/m.vxq"))) << "a file that cannot be created";
}

// Damaged headers are refused before anything is allocated from them.
TEST(NativeFile, DamagedHeadersAreRefused)
{
    TempDir dir;
    const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    FileBytes rgbBadK = VolumeFile(2, -2, 2, 8, 8);
    rgbBadK.Fill(8, 'x').I32(23).Fill(23, 'c');
    FileBytes rgbNegK = VolumeFile(2, -2, 2, 8, 8);
    rgbNegK.Fill(8, 'x').I32(-24).Fill(24, 'c');
    FileBytes rgbMinY = VolumeFile(2, kMin, 2, 8, 8);
    rgbMinY.Fill(8, 'x').I32(0);
    FileBytes greyHuge = VolumeFile(kMax, kMax, kMax, 8, kMax);
    greyHuge.Fill(8, 'x');
    struct Row {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"first word -2", MeshFile(4, 3, 1, 3).bytes.replace(0, 4, "\xFE\xFF\xFF\xFF")},
        {"primitive 5", MeshFile(5, 3, 1, 3).bytes},
        {"negative vertex count", MeshFile(4, -3, 1, 3).bytes},
        {"negative index count", MeshFile(4, 3, -1, -3).bytes},
        {"index count not 3 per triangle", MeshFile(4, 3, 2, 3).bytes},
        {"index count not 4 per quad", MeshFile(7, 3, 1, 3).bytes},
        {"vertex count past the file", MeshFile(4, kMax, 1, 3).bytes},
        {"index count past the file", MeshFile(4, 3, kMax / 3, kMax / 3 * 3).bytes},
        {"index equal to the vertex count", MeshFile(4, 3, 1, 3, 3).bytes},
        {"negative index", MeshFile(4, 3, 1, 3, -1).bytes},
        {"dimX 0", VolumeFile(0, 2, 2, 8, 0).Fill(8, 'x').bytes},
        {"dimZ negative", VolumeFile(2, 2, -2, 8, 8).Fill(8, 'x').bytes},
        {"bits 12", VolumeFile(2, 2, 2, 12, 8).Fill(16, 'x').bytes},
        {"bits 0", VolumeFile(2, 2, 2, 0, 8).Fill(16, 'x').bytes},
        {"N below the voxel bytes", VolumeFile(2, 2, 2, 16, 8).Fill(16, 'x').bytes},
        {"dimensions past the size limit", greyHuge.bytes},
        {"RGB colour count not 3 per voxel", rgbBadK.bytes},
        {"RGB negative colour count", rgbNegK.bytes},
        {"RGB dimY that cannot be negated", rgbMinY.bytes},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(LoadNative(dir.Write("bad.vxq", r.bytes)), nullptr);
    }
    EXPECT_NE(LoadNative(dir.Write("good.vxq", MeshFile(4, 3, 1, 3).bytes)), nullptr) << "the rows' base file is sound";
}

TEST(NativeFile, TruncatedFilesAreRefused)
{
    TempDir dir;
    MinAlphaScope alpha(0.0f);
    CObjMesh mesh;
    MakeCube(mesh);
    CVolume grey(2, 2, 2, 16);
    CRgbVolume rgb(2, 1, 2);
    const std::string meshPath = dir.File("m.vxq"), greyPath = dir.File("g.vxq"), rgbPath = dir.File("c.vxq");
    ASSERT_TRUE(mesh.Save(meshPath));
    ASSERT_TRUE(grey.Save(greyPath));
    ASSERT_TRUE(rgb.Save(rgbPath));
    for (const std::string& path : {meshPath, greyPath, rgbPath}) {
        const std::string whole = TempDir::Read(path);
        EXPECT_NE(LoadNative(dir.Write("whole.vxq", whole)), nullptr);
        for (std::size_t n = 0; n < whole.size(); ++n) {
            SCOPED_TRACE(path + " cut to " + std::to_string(n));
            // A new name each time: rewriting one file in place is slow on ext4.
            const std::string cut = dir.Write("cut" + std::to_string(n), whole.substr(0, n));
            EXPECT_EQ(LoadNative(cut), nullptr);
            std::filesystem::remove(cut);
        }
    }
}

TEST(NativeFile, ScalesThatAreNotPositiveAndFiniteBecomeOne)
{
    TempDir dir;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Row {
        float stored, read;
    } rows[] = {{0.5f, 0.5f}, {0.0f, 1.0f}, {-2.0f, 1.0f}, {inf, 1.0f}, {-inf, 1.0f}, {nan, 1.0f}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.stored);
        auto model = LoadNative(dir.Write("s.vxq", VolumeFile(3, 3, 3, 8, 27, r.stored).Fill(27, 'x').bytes));
        auto* v = dynamic_cast<CVolume*>(model.get());
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->m_fScaleX, r.read);
        EXPECT_EQ(v->m_fScaleZ, r.read);
        EXPECT_EQ(v->m_fHalfY, std::trunc(3 * r.read + 0.5f) * 0.5f);
    }
}

TEST(NativeFile, EveryModelKindRoundTrips)
{
    TempDir dir;
    MinAlphaScope alpha(0.0f);
    std::unique_ptr<CMesh> meshes[] = {std::make_unique<CMesh>(), std::make_unique<CObjMesh>(),
                                       std::make_unique<COffMesh>(), std::make_unique<CSurfaceMesh>(),
                                       std::make_unique<CNativeMesh>()};
    for (auto& m : meshes) {
        MakeCube(*m);
        m->m_nPrimitive = kGlQuads; // 36 indices are 9 quads
        m->m_nPolygons = 9;
        ASSERT_TRUE(m->Save(dir.File("m.vxq")));
        auto model = LoadNative(dir.File("m.vxq"));
        auto* back = dynamic_cast<CNativeMesh*>(model.get());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->m_nPrimitive, kGlQuads);
        EXPECT_EQ(back->m_nPolygons, 9);
        EXPECT_EQ(back->m_vMin, m->m_vMin);
        EXPECT_EQ(back->m_vMax, m->m_vMax);
        ASSERT_TRUE(back->Save(dir.File("m2.vxq")));
        EXPECT_EQ(TempDir::Read(dir.File("m2.vxq")), TempDir::Read(dir.File("m.vxq")));
    }
    std::unique_ptr<CVolume> volumes[] = {std::make_unique<CVolume>(3, 2, 1, 16),
                                          std::make_unique<CDicomVolume>(3, 2, 1, 8),
                                          std::make_unique<CNativeVolume>(3, 2, 1, 16),
                                          std::make_unique<CRgbVolume>(3, 2, 1)};
    for (auto& v : volumes) {
        for (int i = 0; i < 6; ++i)
            v->SetVoxel(i % 3, i / 3, 0, std::uint16_t(1000 * i + 7));
        v->SetVoxelSize(0.25f, 4.0f, 1.5f);
        ASSERT_TRUE(v->Save(dir.File("v.vxq")));
        auto model = LoadNative(dir.File("v.vxq"));
        auto* back = dynamic_cast<CVolume*>(model.get());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->m_bRgb, v->m_bRgb);
        EXPECT_EQ(back->m_nDimX, 3);
        EXPECT_EQ(back->m_fScaleY, 4.0f);
        EXPECT_EQ(VoxelBytes(*back), VoxelBytes(*v));
        ASSERT_TRUE(back->Save(dir.File("v2.vxq")));
        EXPECT_EQ(TempDir::Read(dir.File("v2.vxq")).substr(284), TempDir::Read(dir.File("v.vxq")).substr(284));
    }
}
