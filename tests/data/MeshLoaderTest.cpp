#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/Mesh.h"
#include "data/LoaderFactory.h"
#include "data/ObjLoader.h"
#include "data/OffLoader.h"
#include "support/TempDir.h"

namespace {
using Indices = std::vector<std::int32_t>;

template <class Loader>
CMesh* LoadText(const TempDir& dir, const std::string& name, const std::string& text, CModelSeries& series)
{
    Loader loader;
    if (!loader.Load(dir.Write(name, text), series))
        return nullptr;
    EXPECT_EQ(series.size(), 1u);
    return static_cast<CMesh*>(series.back().get());
}

Indices IndicesOf(const CMesh& m) { return Indices(m.m_pIndices.get(), m.m_pIndices.get() + m.m_nIndices); }

std::vector<std::string> GroupNames(const CMesh& m)
{
    std::vector<std::string> n;
    for (const auto& g : m.m_aGroups)
        n.push_back(g.m_strName + ":" + std::to_string(g.m_nFirstIndex) + "+" + std::to_string(g.m_nIndexCount));
    return n;
}

// The longest edge of any triangle and the bounding box's diagonal: a stray
// triangle spans the mesh.
float LongestEdge(const CMesh& m)
{
    float longest = 0;
    for (std::int32_t i = 0; i + 2 < m.m_nIndices; i += 3)
        for (int e = 0; e < 3; ++e) {
            const CVector3 a = m.m_pVertices[m.m_pIndices[i + e]], b = m.m_pVertices[m.m_pIndices[i + (e + 1) % 3]];
            longest = std::max(longest, std::hypot(a.x - b.x, a.y - b.y, a.z - b.z));
        }
    return longest;
}

float Diagonal(const CMesh& m)
{
    CVector3 lo = m.m_pVertices[0], hi = lo;
    for (std::int32_t i = 0; i < m.m_nVertices; ++i) {
        const CVector3 v = m.m_pVertices[i];
        lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
        hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
    }
    return std::hypot(hi.x - lo.x, hi.y - lo.y, hi.z - lo.z);
}

const std::string kQuad = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
const std::string kNine = kQuad + "v 2 0 0\nv 2 1 0\nv 2 2 0\nv 1 2 0\nv 0 2 0\n";
} // namespace

TEST(CObjLoader, FacesBecomeReversedFansWithTheGroupsPattern)
{
    struct Case {
        const char* what;
        std::string text;
        Indices indices;
    };
    const Case cases[] = {
        {"quad fan, corners reversed", kQuad + "f 1 2 3 4\n", {2, 1, 0, 3, 2, 0}},
        {"upper-case keywords and CRLF lines", "V 0 0 0\r\nV 1 0 0\r\nV 1 1 0\r\nF 1 2 3\r\n", {2, 1, 0}},
        {"nine corners keep the first eight", kNine + "f 1 2 3 4 5 6 7 8 9\n",
         {2, 1, 0, 3, 2, 0, 4, 3, 0, 5, 4, 0, 6, 5, 0, 7, 6, 0}},
        {"v/t form after vt", kQuad + "vt 0 0\nf 1/1 2/2 3/3\n", {2, 1, 0}},
        {"v//n form after vn", kQuad + "vn 0 0 1\nf 1//1 2//2 3//3\n", {2, 1, 0}},
        {"v/t/n form after vt and vn", kQuad + "vt 0 0\nvn 0 0 1\nf 1/1/1 2/2/1 4/4/1\n", {3, 1, 0}},
        {"plain form after vt reads no corners", kQuad + "vt 0 0\nf 1 2 3\n", {}},
        {"slash form without vt or vn reads one corner", kQuad + "f 1/1 2/2 3/3\n", {}},
        {"two corners make nothing", kQuad + "f 1 2\n", {}},
        {"comments, objects, smoothing and materials skipped",
         "# c\no thing\nmtllib a.mtl\nusemtl red\ns 1\n" + kQuad + "f 1 2 3\n", {2, 1, 0}},
        // A face numbering a vertex not read yet (or below 1) would index past
        // the vertex array: it adds nothing, the others still count.
        {"vertex number past the vertices read", kQuad + "f 1 2 5\nf 1 2 3\n", {2, 1, 0}},
        {"vertex number 0", kQuad + "f 0 1 2\n", {}},
        {"negative relative numbers", kQuad + "f -1 -2 -3\n", {}},
        {"forward reference", "v 0 0 0\nv 1 0 0\nf 1 2 3\nv 1 1 0\n", {}},
        // Lines come in pieces of 254 characters: the second piece of a long
        // comment is read as a line of its own.
        {"long line read in pieces", "#" + std::string(254, 'x') + "v 7 8 9\n" + kQuad + "f 3 4 5\n", {4, 3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        CModelSeries series;
        CMesh* m = LoadText<CObjLoader>(dir, "a.obj", c.text, series);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(IndicesOf(*m), c.indices);
        EXPECT_EQ(m->m_nPolygons * 3, m->m_nIndices);
        EXPECT_EQ(m->m_nPrimitive, kGlTriangles);
    }
}

TEST(CObjLoader, VerticesNormalsAndBounds)
{
    TempDir dir;
    CModelSeries series;
    // The second line lacks z: it reads 0 rather than the next line's x; a
    // bare "v" does not swallow the line after it.
    CMesh* m = LoadText<CObjLoader>(dir, "a.obj", "v 0 0 0\nv 2 0\nv\nv 2 2 0\nf 1 2 3\n", series);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->m_nVertices, 3);
    EXPECT_EQ(m->m_pVertices[1], CVector3(2, 0, 0));
    EXPECT_EQ(m->m_pVertices[2], CVector3(2, 2, 0));
    // The file's counter-clockwise triangle is stored reversed.
    EXPECT_EQ(m->m_pNormals[0], CVector3(0, 0, -1));
    EXPECT_TRUE(m->m_bDirty);
    CVector3 a, b;
    m->GetBounds(a, b);
    EXPECT_EQ(a, CVector3(0, 2, 0));
    EXPECT_EQ(b, CVector3(2, 0, 0));
}

TEST(CObjLoader, GroupsByBlockAndName)
{
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> groups;
    };
    const std::string tri = "v 0 0 0\nv 1 0 0\nv 1 1 0\n";
    const Case cases[] = {
        {"one block", tri + "f 1 2 3\n", {"Group 0:0+3"}},
        {"two blocks without g", tri + "f 1 2 3\n" + tri + "f 4 5 6\nf 1 2 3\n", {"Group 0:0+3", "Group 1:3+6"}},
        {"named block, number still counts", "g  hull \n" + tri + "f 1 2 3\n" + tri + "f 4 5 6\n",
         {"hull:0+3", "Group 1:3+3"}},
        {"later g before the group closes renames it", "g a\n" + tri + "g b\nf 1 2 3\n", {"b:0+3"}},
        {"vertices without faces: one empty group", tri, {"Group 0:0+0"}},
        {"face line without triangles still closes the group", tri + "f 1 2\n" + tri + "f 4 5 6\n",
         {"Group 0:0+0", "Group 1:0+3"}},
    };
    CObjLoader loader; // one loader for every file: nothing carries over
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        CModelSeries series;
        ASSERT_TRUE(loader.Load(dir.Write("g.obj", c.text), series));
        EXPECT_EQ(GroupNames(static_cast<CMesh&>(*series[0])), c.groups);
    }
}

TEST(CObjLoader, FilesWithoutVerticesFail)
{
    const char* texts[] = {"", "# nothing\n", "f 1 2 3\nf 1 2 3 4\n", "vn 0 0 1\nvt 0 0\n"};
    for (const char* t : texts) {
        SCOPED_TRACE(t);
        TempDir dir;
        CModelSeries series;
        CObjLoader loader;
        EXPECT_FALSE(loader.Load(dir.Write("a.obj", t), series));
        EXPECT_TRUE(series.empty());
    }
    CModelSeries series;
    EXPECT_FALSE(CObjLoader().Load("/nonexistent/a.obj", series));
}

TEST(COffLoader, TrianglesAndHarmlessPlacesForOtherFaces)
{
    const std::string cube = "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n";
    struct Case {
        const char* what;
        std::string text;
        int vertices;
        Indices indices;
    };
    const Case cases[] = {
        {"8 6 12: six triangles", "OFF\n8 6 12\n" + cube + "3 0 1 2\n3 0 2 3\n3 4 5 6\n3 4 6 7\n3 0 1 5\n3 0 5 4\n", 8,
         {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7, 0, 1, 5, 0, 5, 4}},
        {"quads keep their places as (0, 0, 0)", "OFF\n8 2 0\n" + cube + "4 0 1 2 3\n4 4 5 6 7\n", 8, {0, 0, 0, 0, 0, 0}},
        {"lower case and OFFX headers", "offx\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 2 1 0\n", 3, {2, 1, 0}},
        // An index outside the vertices would reach the renderer.
        {"index past the vertices", "OFF\n3 2\n0 0 0\n1 0 0\n0 1 0\n3 0 1 3\n3 0 1 2\n", 3, {0, 0, 0, 0, 1, 2}},
        {"negative index", "OFF\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 -1 0 1\n", 3, {0, 0, 0}},
        {"two numbers only", "OFF\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1\n", 3, {0, 0, 0}},
        {"missing face lines at the end", "OFF\n3 2\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", 3, {0, 1, 2, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        CModelSeries series;
        CMesh* m = LoadText<COffLoader>(dir, "a.off", c.text, series);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->m_nVertices, c.vertices);
        EXPECT_EQ(IndicesOf(*m), c.indices);
        EXPECT_EQ(m->m_nPolygons * 3, m->m_nIndices);
        EXPECT_EQ(m->m_nPrimitive, kGlTriangles);
    }
}

// Writers separate the corner count from the indices by tabs as well as
// spaces; only what follows the count is free, the count itself is exact.
TEST(COffLoader, AnyWhiteSpaceAfterTheCornerCount)
{
    const std::string head = "OFF\n3 1\n0 0 0\n1 0 0\n0 1 0\n";
    struct Case {
        const char* what;
        std::string face;
        Indices indices;
    };
    const Case cases[] = {
        {"one space", "3 2 1 0\n", {2, 1, 0}},
        {"a tab", "3\t2 1 0\n", {2, 1, 0}},
        {"tabs throughout", "3\t2\t1\t0\n", {2, 1, 0}},
        {"two spaces", "3  2 1 0\n", {2, 1, 0}},
        {"space and tab", "3 \t2 1 0\n", {2, 1, 0}},
        {"vertical tab", "3\v2 1 0\n", {2, 1, 0}},
        {"form feed", "3\f2 1 0\n", {2, 1, 0}},
        {"carriage return", "3\r2 1 0\n", {2, 1, 0}},
        {"no separator: 32 corners", "32 1 0\n", {0, 0, 0}},
        {"comma", "3,2 1 0\n", {0, 0, 0}},
        {"count alone on its line", "3\n", {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        CModelSeries series;
        CMesh* m = LoadText<COffLoader>(dir, "a.off", head + c.face, series);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(IndicesOf(*m), c.indices);
    }
}

TEST(COffLoader, UnparsedCoordinatesKeepThePreviousVertex)
{
    TempDir dir;
    CModelSeries series;
    CMesh* m = LoadText<COffLoader>(dir, "a.off", "OFF\n3 1\nx\n1 2 3\n4 y\n3 0 1 2\n", series);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->m_pVertices[0], CVector3(0, 0, 0));
    EXPECT_EQ(m->m_pVertices[1], CVector3(1, 2, 3));
    EXPECT_EQ(m->m_pVertices[2], CVector3(4, 2, 3));
}

// Writers put blank lines and comments between the records (CGAL's meshes
// have a blank line after the counts); reading them as records shifted every
// vertex by one and drew stray triangles.
TEST(COffLoader, BlankAndCommentLinesBetweenRecordsAreSkipped)
{
    const std::string longComment = "# " + std::string(300, 'c') + " 3 0 0 0\n";
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"blank line after the counts", "OFF\n3 1 0\n\n1 2 3\n4 5 6\n7 8 9\n3 2 1 0\n"},
        {"blank and white-space lines everywhere", "OFF\n3 1\n\n \t\n1 2 3\n\r\n4 5 6\n7 8 9\n\n3 2 1 0\n\n\n"},
        {"comment lines in both sections", "OFF\n3 1\n# vertices\n1 2 3\n  # indented\n4 5 6\n7 8 9\n#faces\n3 2 1 0\n"},
        {"CRLF lines", "OFF\r\n3 1\r\n\r\n1 2 3\r\n4 5 6\r\n7 8 9\r\n\r\n3 2 1 0\r\n"},
        // Its later pieces must not be read as records.
        {"comment longer than a piece", "OFF\n3 1\n" + longComment + "1 2 3\n4 5 6\n7 8 9\n" + longComment + "3 2 1 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        CModelSeries series;
        CMesh* m = LoadText<COffLoader>(dir, "a.off", c.text, series);
        ASSERT_NE(m, nullptr);
        ASSERT_EQ(m->m_nVertices, 3);
        EXPECT_EQ(m->m_pVertices[0], CVector3(1, 2, 3));
        EXPECT_EQ(m->m_pVertices[1], CVector3(4, 5, 6));
        EXPECT_EQ(m->m_pVertices[2], CVector3(7, 8, 9));
        EXPECT_EQ(IndicesOf(*m), (Indices{2, 1, 0}));
    }
    // A file that ends inside the blank lines leaves the missing records as
    // the rules for short files say.
    TempDir dir;
    CModelSeries series;
    CMesh* m = LoadText<COffLoader>(dir, "a.off", "OFF\n3 2\n\n1 2 3\n\n# x\n4 5 6\n7 8 9\n\n3 0 1 2\n\n\n", series);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->m_pVertices[2], CVector3(7, 8, 9));
    EXPECT_EQ(IndicesOf(*m), (Indices{0, 1, 2, 0, 0, 0}));
}

TEST(COffLoader, BadHeadersAndCountsFail)
{
    const std::string body = "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
    const std::pair<const char*, std::string> cases[] = {
        {"wrong first line", "COFF\n3 1\n" + body},
        {"comment before the header", "# x\nOFF\n3 1\n" + body},
        {"comment before the counts", "OFF\n# x\n3 1\n" + body},
        {"blank line before the counts", "OFF\n\n3 1\n" + body},
        {"one count", "OFF\n3\n" + body},
        {"zero vertices", "OFF\n0 1\n" + body},
        {"zero faces", "OFF\n3 0\n" + body},
        {"negative vertex count", "OFF\n-3 1\n" + body},
        {"negative face count", "OFF\n3 -1\n" + body},
        {"face count whose index count overflows", "OFF\n3 800000000\n" + body},
        {"counts the file cannot hold", "OFF\n3 2000000\n" + body},
        {"vertex count the file cannot hold", "OFF\n2000000000 1\n" + body},
        {"empty file", ""},
    };
    for (const auto& [what, text] : cases) {
        SCOPED_TRACE(what);
        TempDir dir;
        CModelSeries series;
        COffLoader loader;
        EXPECT_FALSE(loader.Load(dir.Write("a.off", text), series));
        EXPECT_TRUE(series.empty());
    }
    CModelSeries series;
    EXPECT_FALSE(COffLoader().Load("/nonexistent/a.off", series));
}

// Every OFF mesh of CGAL's data set, opened as the view opens it, either loads
// as a mesh whose indices all name vertices or fails; none crashes.
TEST(COffLoader, EveryCgalMeshLoadsOrFails)
{
    const std::string archive = "/usr/share/doc/libcgal-dev/data.tar.gz";
    ASSERT_TRUE(std::filesystem::exists(archive)) << "libcgal-demo is not installed (scripts/setup installs it)";
    TempDir dir;
    const std::string cmd = "tar -xzf " + archive + " -C " + dir.Path() + " --wildcards '*.off'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);

    std::vector<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.Path()))
        if (e.is_regular_file() && e.path().extension() == ".off")
            files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    ASSERT_GT(files.size(), 100u);

    int loaded = 0;
    for (const std::string& f : files) {
        SCOPED_TRACE(f);
        std::unique_ptr<CModelSeries> series = LoadModelFile(f, "off");
        if (!series)
            continue;
        ++loaded;
        ASSERT_EQ(series->size(), 1u);
        const CMesh& m = static_cast<const CMesh&>(*series->at(0));
        ASSERT_GT(m.m_nVertices, 0);
        ASSERT_EQ(m.m_nIndices, 3 * m.m_nPolygons);
        for (std::int32_t i : IndicesOf(m))
            ASSERT_TRUE(i >= 0 && i < m.m_nVertices) << i;
        // Both have a blank line after the counts.
        if (f.ends_with("/meshes/elephant.off")) {
            ASSERT_EQ(m.m_nVertices, 2775);
            EXPECT_EQ(m.m_pVertices[0], CVector3(0.262933f, 0.102269f, 0.138247f));
            EXPECT_EQ(IndicesOf(m)[0], 575);
            EXPECT_LT(LongestEdge(m), 0.1f * Diagonal(m));
        }
        if (f.ends_with("/meshes/cow.off")) {
            ASSERT_EQ(m.m_nVertices, 2904);
            EXPECT_EQ(m.m_pVertices[0], CVector3(0.281526f, 0.266379f, -1.55991e-008f));
            EXPECT_EQ(IndicesOf(m)[0], 251);
            EXPECT_LT(LongestEdge(m), 0.1f * Diagonal(m));
        }
        if (f.ends_with("/meshes/tetrahedron.off")) {
            EXPECT_EQ(m.m_nVertices, 4);
            EXPECT_EQ(IndicesOf(m), (Indices{0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2}));
        }
    }
    EXPECT_GT(loaded, 50);
}
