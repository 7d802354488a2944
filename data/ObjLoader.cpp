#include "data/ObjLoader.h"

#include <cctype>
#include <cstring>
#include <limits>
#include <new>

#include "data/Mesh.h"
#include "data/TextPiece.h"
#include "platform/Format.h"

namespace {
std::string Trimmed(const char* text)
{
    const char* b = text;
    while (*b && std::isspace(static_cast<unsigned char>(*b)))
        ++b;
    const char* e = b + std::strlen(b);
    while (e > b && std::isspace(static_cast<unsigned char>(e[-1])))
        --e;
    return std::string(b, e);
}

// Face patterns by the open group's flags: the corner form repeated eight
// times. Only the first number of each corner is used.
struct FacePattern {
    const char* format;
    int fieldsPerCorner;
};
constexpr FacePattern kFacePatterns[4] = {
    {"%d %d %d %d %d %d %d %d", 1},
    {"%d/%d %d/%d %d/%d %d/%d %d/%d %d/%d %d/%d %d/%d", 2},
    {"%d//%d %d//%d %d//%d %d//%d %d//%d %d//%d %d//%d %d//%d", 2},
    {"%d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d", 3},
};
constexpr int kMaxCorners = 8;
} // namespace

void CObjLoader::Reset()
{
    m_nGroupNumber = 0;
    m_strGroupName.clear();
    m_bFaceSeen = m_bHasTexCoords = m_bHasNormals = false;
    m_nVertices = m_nTriangles = m_nIndices = m_nGroupIndices = m_nGroupStart = 0;
    m_aVertices = {};
    m_aIndices = {};
}

bool CObjLoader::Load(const std::string& path, CModelSeries& series)
{
    Reset();
    UniqueFile file(std::fopen(path.c_str(), "r"));
    if (!file)
        return false;
    try {
        auto mesh = std::make_unique<CObjMesh>();
        char piece[kTextPiece];
        for (int c; (c = std::fgetc(file.get())) != EOF;) {
            switch (std::toupper(c)) {
            case '\n':
                break;
            case 'F':
                ParseFaceLine(file.get());
                break;
            case 'G':
                ReadPiece(file.get(), piece);
                m_strGroupName = Trimmed(piece);
                break;
            case 'V':
                if (m_bFaceSeen)
                    EndGroup(*mesh);
                ParseVertexLine(file.get());
                break;
            default:
                ReadPiece(file.get(), piece);
                break;
            }
        }
        EndGroup(*mesh);
        file.reset();

        // Faces are only kept when their vertices exist, so no vertex also
        // means no triangle.
        if (m_nVertices == 0) {
            Reset();
            return false;
        }
        CVector3* v = mesh->SetVertexCount(m_nVertices);
        std::copy(m_aVertices.begin(), m_aVertices.end(), v);
        mesh->m_nPolygons = m_nTriangles;
        if (std::int32_t* idx = mesh->SetIndexCount(m_nIndices))
            std::copy(m_aIndices.begin(), m_aIndices.end(), idx);
        mesh->ComputeNormals();
        mesh->m_bDirty = true;
        series.push_back(std::move(mesh));
        Reset();
        return true;
    } catch (const std::bad_alloc&) {
        Reset();
        return false;
    }
}

void CObjLoader::ParseVertexLine(std::FILE* file)
{
    char piece[kTextPiece];
    switch (std::fgetc(file)) {
    case ' ': {
        ReadPiece(file, piece);
        // Parsed from this line only: a short line gives zeros rather than
        // taking its missing numbers from the next line.
        CVector3 p;
        std::sscanf(piece, "%f %f %f", &p.x, &p.y, &p.z);
        if (m_nVertices == std::numeric_limits<std::int32_t>::max())
            return;
        m_aVertices.push_back(p);
        ++m_nVertices;
        break;
    }
    case 'n':
        m_bHasNormals = true;
        break;
    case 't':
        m_bHasTexCoords = true;
        ReadPiece(file, piece);
        break;
    case '\n':
    case EOF:
        // A bare "v" ends here; skipping on would swallow the next line.
        break;
    default:
        ReadPiece(file, piece);
        break;
    }
}

void CObjLoader::ParseFaceLine(std::FILE* file)
{
    char piece[kTextPiece];
    ReadPiece(file, piece);
    m_bFaceSeen = true;

    const FacePattern& p = kFacePatterns[(m_bHasNormals ? 2 : 0) + (m_bHasTexCoords ? 1 : 0)];
    int f[kMaxCorners * 3] = {};
    int fields = std::sscanf(piece, p.format, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &f[8], &f[9],
                             &f[10], &f[11], &f[12], &f[13], &f[14], &f[15], &f[16], &f[17], &f[18], &f[19], &f[20],
                             &f[21], &f[22], &f[23]);
    const int corners = fields > 0 ? fields / p.fieldsPerCorner : 0;
    if (corners < 3)
        return;
    int c[kMaxCorners];
    for (int i = 0; i < corners; ++i) {
        c[i] = f[i * p.fieldsPerCorner];
        // A number outside the vertices read so far would index past the
        // vertex array: the whole face is dropped.
        if (c[i] < 1 || c[i] > m_nVertices)
            return;
    }
    const int added = 3 * (corners - 2);
    if (m_nIndices > std::numeric_limits<std::int32_t>::max() - added)
        return;
    for (int i = 2; i < corners; ++i) {
        m_aIndices.push_back(c[i] - 1);
        m_aIndices.push_back(c[i - 1] - 1);
        m_aIndices.push_back(c[0] - 1);
    }
    m_nTriangles += corners - 2;
    m_nIndices += added;
    m_nGroupIndices += added;
}

void CObjLoader::EndGroup(CMesh& mesh)
{
    if (m_strGroupName.empty())
        m_strGroupName = FormatString("Group %d", m_nGroupNumber);
    mesh.AddGroup(m_nGroupStart, m_nGroupIndices, m_strGroupName);
    m_nGroupStart = m_nIndices;
    m_nGroupIndices = 0;
    m_bFaceSeen = m_bHasTexCoords = m_bHasNormals = false;
    m_strGroupName.clear();
    ++m_nGroupNumber;
}
