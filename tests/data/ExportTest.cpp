#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "FileBytes.h"
#include "data/Mesh.h"
#include "support/TriangleMesh.h"
#include "data/Volume.h"
#include "support/FaultInjection.h"
#include "platform/File.h"
#include "support/TempDir.h"

namespace {
struct FaultScope {
    explicit FaultScope(std::int64_t bytes) { FaultInjection::ArmWriteBudget(bytes); }
    ~FaultScope() { FaultInjection::Disarm(); }
};
} // namespace

TEST(MeshExport, OffAndSmfTexts)
{
    TempDir dir;
    CObjMesh triangle;
    MakeUnitTriangle(triangle);
    // No indices are no triangles, whatever the primitive.
    CMesh empty;
    ASSERT_EQ(empty.m_nPrimitive, kGlQuads);
    struct Row {
        const char* what;
        CMesh* mesh;
        const char* off;
        const char* smf;
    } rows[] = {
        {"one triangle", &triangle,
         "OFF\r\n3 1 0\r\n0.00000000 0.00000000 0.00000000\r\n1.00000000 0.00000000 0.00000000\r\n"
         "0.00000000 1.00000000 0.00000000\r\n3 0 1 2\r\n",
         "begin\r\nv 0.00000000 0.00000000 0.00000000\r\nv 1.00000000 0.00000000 0.00000000\r\n"
         "v 0.00000000 1.00000000 0.00000000\r\nf 3 2 1\r\nend\r\n"},
        {"empty mesh", &empty, "OFF\r\n0 0 0\r\n", "begin\r\nend\r\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(r.mesh->SaveOFF(dir.File("m.off")));
        EXPECT_EQ(TempDir::Read(dir.File("m.off")), r.off);
        ASSERT_TRUE(r.mesh->SaveSMF(dir.File("m.smf")));
        EXPECT_EQ(TempDir::Read(dir.File("m.smf")), r.smf);
    }
    EXPECT_FALSE(triangle.m_bDirty) << "bounds brought up to date";
    EXPECT_FALSE(triangle.SaveOFF(dir.File("no/such/folder.off")));
    EXPECT_FALSE(triangle.SaveSMF(dir.File("no/such/folder.smf")));
}

// Both formats hold triangles, read from the index list three at a time; a
// list of anything else would come out as faces joining the wrong corners
// (a box of six quads as "8 6 0" and eight faces), so it is refused: no file
// is made, and a file already there keeps its bytes.
TEST(MeshExport, RefusesWhatIsNotWholeTriangles)
{
    TempDir dir;
    CMesh box;
    CVector3* v = box.SetVertexCount(8);
    for (int i = 0; i < 8; ++i)
        v[i] = {float(i & 1), float((i >> 1) & 1), float(i >> 2)};
    const int quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    std::int32_t* idx = box.SetIndexCount(24);
    for (int q = 0; q < 6; ++q)
        for (int k = 0; k < 4; ++k)
            idx[4 * q + k] = quads[q][k];
    box.m_nPrimitive = kGlQuads;
    box.m_nPolygons = 6;
    CObjMesh partial;
    MakeUnitTriangle(partial);
    partial.SetIndexCount(4)[3] = 0;
    std::fill(partial.m_pIndices.get(), partial.m_pIndices.get() + 3, 1);
    struct Row {
        const char* what;
        CMesh* mesh;
    } rows[] = {
        {"a box of six quads", &box},
        {"triangles with an index left over", &partial},
    };
    using Save = bool (CMesh::*)(const std::string&);
    const std::pair<const char*, Save> writers[] = {{"OFF", &CMesh::SaveOFF}, {"SMF", &CMesh::SaveSMF}};
    for (const Row& r : rows)
        for (const auto& [format, save] : writers) {
            SCOPED_TRACE(std::string(r.what) + " as " + format);
            EXPECT_FALSE((r.mesh->*save)(dir.File("new")));
            EXPECT_FALSE(std::filesystem::exists(dir.File("new")));
            const std::string old = dir.Write("old", "the user's old file\r\n");
            EXPECT_FALSE((r.mesh->*save)(old));
            EXPECT_EQ(TempDir::Read(old), "the user's old file\r\n");
            EXPECT_EQ(dir.FilesStartingWith(""), std::vector<std::string>{"old"});
        }
}

TEST(VolumeExport, RawIsTheVoxelArray)
{
    TempDir dir;
    CVolume v8(2, 2, 2, 8), v16(2, 2, 2, 16);
    for (int i = 0; i < 8; ++i) {
        v8.SetVoxel(i & 1, (i >> 1) & 1, i >> 2, std::uint16_t(i + 20));
        v16.SetVoxel(i & 1, (i >> 1) & 1, i >> 2, std::uint16_t(0x0102 * (i + 1)));
    }
    ASSERT_TRUE(v16.ExportRaw(dir.File("16.raw")));
    const std::string raw16 = TempDir::Read(dir.File("16.raw"));
    ASSERT_EQ(raw16.size(), 16u);
    EXPECT_EQ(raw16.substr(0, 4), std::string("\x02\x01\x04\x02", 4)) << "little-endian, x fastest";
    ASSERT_TRUE(v8.ExportRaw(dir.File("8.raw")));
    ASSERT_TRUE(v8.Save(dir.File("8.vxq")));
    EXPECT_EQ(TempDir::Read(dir.File("8.raw")), TempDir::Read(dir.File("8.vxq")).substr(288));
    CVolume empty;
    EXPECT_FALSE(empty.ExportRaw(dir.File("e.raw")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.raw")));
}

TEST(VolumeExport, SwappedOutVolumeIsReloadedAndSwappedOutAgain)
{
    TempDir dir;
    CVolume v(2, 2, 1, 8);
    const std::string voxels("\x0A\x0B\x0C\x0D", 4);
    std::copy(voxels.begin(), voxels.end(), v.m_pData.get());
    v.BuildDiskCache();
    ASSERT_EQ(v.m_pData, nullptr) << "swapped out";
    // Every writer of voxels reloads them for the write and lets them go.
    struct Row {
        const char* what;
        bool (CVolume::*write)(const std::string&);
        std::size_t voxelsAt;
    } rows[] = {
        {"raw export", &CVolume::ExportRaw, 0},
        {"save", &CVolume::Save, 288},
        {"8-bit save", &CVolume::Save8Bit, 288},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE((v.*r.write)(dir.File("v.out")));
        EXPECT_EQ(TempDir::Read(dir.File("v.out")).substr(r.voxelsAt), voxels);
        EXPECT_EQ(v.m_pData, nullptr);
        EXPECT_EQ(v.m_nLockCount, 0);
    }
}

// Every writer goes through a file beside the target: a write that fails
// half-way leaves the user's old file byte for byte, and no stray file.
TEST(SafeSave, FailedSavesKeepTheOldFile)
{
    TempDir dir;
    CObjMesh mesh;
    MakeUnitTriangle(mesh);
    CVolume v16(8, 8, 8, 16);
    CRgbVolume rgb(8, 8, 8);
    using Save = std::function<bool(const std::string&)>;
    struct Row {
        const char* what;
        Save save;
    } rows[] = {
        {"mesh", [&](const std::string& p) { return mesh.Save(p); }},
        {"grey volume", [&](const std::string& p) { return v16.Save(p); }},
        {"8-bit save of 16-bit data", [&](const std::string& p) { return v16.Save8Bit(p); }},
        {"RGB volume", [&](const std::string& p) { return rgb.Save(p); }},
        {"raw export", [&](const std::string& p) { return v16.ExportRaw(p); }},
        {"OFF export", [&](const std::string& p) { return mesh.SaveOFF(p); }},
        {"SMF export", [&](const std::string& p) { return mesh.SaveSMF(p); }},
    };
    const std::string old = "the user's old file\r\n";
    for (const Row& r : rows) {
        for (std::int64_t budget : {0, 40, 100}) {
            SCOPED_TRACE(std::string(r.what) + " failing after " + std::to_string(budget) + " bytes");
            const std::string path = dir.Write("target", old);
            {
                FaultScope full(budget);
                EXPECT_FALSE(r.save(path));
            }
            EXPECT_EQ(TempDir::Read(path), old);
            EXPECT_EQ(dir.FilesStartingWith(""), std::vector<std::string>{"target"});
        }
        SCOPED_TRACE(r.what);
        EXPECT_TRUE(r.save(dir.File("target")));
        EXPECT_NE(TempDir::Read(dir.File("target")), old);
        EXPECT_EQ(dir.FilesStartingWith(""), std::vector<std::string>{"target"});
    }
}

// The file beside the target must still be a legal name when the target's
// own name is as long as the file system allows.
TEST(SafeSave, LongestFileNamesStillSave)
{
    CObjMesh mesh;
    MakeUnitTriangle(mesh);
    CVolume volume(2, 2, 2, 8);
    using Save = std::function<bool(const std::string&)>;
    const std::pair<const char*, Save> rows[] = {
        {"mesh", [&](const std::string& p) { return mesh.Save(p); }},
        {"volume", [&](const std::string& p) { return volume.Save(p); }},
        {"OFF export", [&](const std::string& p) { return mesh.SaveOFF(p); }},
    };
    for (std::size_t length : {200u, 250u, 255u}) {
        TempDir dir;
        const std::string name = std::string(length - 4, 'n') + ".vxq";
        for (const auto& [what, save] : rows) {
            SCOPED_TRACE(std::string(what) + ", name of " + std::to_string(length) + " bytes");
            dir.Write(name, "old");
            EXPECT_TRUE(save(dir.File(name)));
            EXPECT_NE(TempDir::Read(dir.File(name)), "old");
            EXPECT_EQ(dir.FilesStartingWith(""), std::vector<std::string>{name});
        }
    }
}

// Saving over a file updates that file as a plain overwrite would: its
// permissions stay, and through a link the linked file gets the new bytes.
TEST(SafeSave, OverwriteKeepsModeAndFollowsLinks)
{
    namespace fs = std::filesystem;
    CObjMesh mesh;
    MakeUnitTriangle(mesh);
    struct Row {
        const char* what;
        fs::perms mode;
        bool throughLink;
    } rows[] = {
        {"private file", fs::perms::owner_read | fs::perms::owner_write, false},
        {"group-writable file", fs::perms(0664), false},
        {"file reached through a link", fs::perms(0640), true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        TempDir dir;
        fs::create_directory(dir.File("data"));
        const std::string real = dir.Write("data/scan.vxq", "old");
        fs::permissions(real, r.mode);
        const std::string target = r.throughLink ? dir.File("scan.vxq") : real;
        if (r.throughLink)
            fs::create_symlink(real, target);
        ASSERT_TRUE(mesh.Save(target));
        EXPECT_EQ(TempDir::Read(real).size(), 93u + 72u + 12u);
        EXPECT_EQ(fs::status(real).permissions(), r.mode);
        EXPECT_EQ(fs::is_symlink(target), r.throughLink);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("data")), fs::directory_iterator()), 1)
            << "no stray file";
    }
}
