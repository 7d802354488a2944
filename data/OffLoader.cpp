#include "data/OffLoader.h"

#include <cstring>
#include <limits>
#include <new>
#include <strings.h>

#include "data/Mesh.h"
#include "data/TextPiece.h"

namespace {
// Bytes from the current position to the end of the file.
std::int64_t BytesLeft(std::FILE* file)
{
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long end = std::ftell(file);
    if (end < 0 || std::fseek(file, here, SEEK_SET) != 0)
        return -1;
    return std::int64_t(end) - here;
}

// The next piece that holds data: blank lines and '#' comment lines (the
// whole of a long one) are passed over, since writers put them between the
// records and every record is counted by lines. An empty piece at the end of
// the file.
void ReadDataPiece(std::FILE* file, char* piece)
{
    for (;;) {
        ReadPiece(file, piece);
        if (*piece == '\0')
            return;
        const char* p = piece + std::strspn(piece, " \t\r\n\v\f");
        if (*p == '\0')
            continue;
        if (*p != '#')
            return;
        // The rest of a comment longer than one piece.
        while (piece[std::strlen(piece) - 1] != '\n') {
            ReadPiece(file, piece);
            if (*piece == '\0')
                return;
        }
    }
}
} // namespace

bool COffLoader::Load(const std::string& path, CModelSeries& series)
{
    m_nVertices = m_nFaces = 0;
    UniqueFile file(std::fopen(path.c_str(), "r"));
    if (!file)
        return false;
    char piece[kTextPiece];
    ReadPiece(file.get(), piece);
    if (strncasecmp(piece, "OFF", 3) != 0)
        return false;
    ReadPiece(file.get(), piece);
    int vertices = 0, faces = 0;
    if (std::sscanf(piece, "%d %d", &vertices, &faces) != 2)
        return false;
    // Every vertex and face takes a line of at least one byte, so counts the
    // file cannot hold are refused before anything is allocated for them.
    if (vertices <= 0 || faces <= 0 || faces > std::numeric_limits<std::int32_t>::max() / 3)
        return false;
    if (std::int64_t(vertices) + faces > BytesLeft(file.get()))
        return false;
    m_nVertices = vertices;
    m_nFaces = faces;

    try {
        auto mesh = std::make_unique<COffMesh>();
        mesh->SetVertexCount(m_nVertices);
        mesh->m_nPolygons = m_nFaces;
        mesh->SetIndexCount(3 * m_nFaces);
        ReadVertices(file.get(), *mesh);
        ReadFaces(file.get(), *mesh);
        file.reset();
        mesh->ComputeNormals();
        mesh->m_bDirty = true;
        series.push_back(std::move(mesh));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void COffLoader::ReadVertices(std::FILE* file, CMesh& mesh)
{
    char piece[kTextPiece];
    // A coordinate that does not parse keeps the previous vertex's value.
    CVector3 p;
    for (int i = 0; i < m_nVertices; ++i) {
        ReadDataPiece(file, piece);
        std::sscanf(piece, "%f %f %f", &p.x, &p.y, &p.z);
        mesh.m_pVertices[i] = p;
    }
}

void COffLoader::ReadFaces(std::FILE* file, CMesh& mesh)
{
    char piece[kTextPiece];
    for (int f = 0; f < m_nFaces; ++f) {
        ReadDataPiece(file, piece);
        std::int32_t* idx = &mesh.m_pIndices[3 * std::size_t(f)];
        int a = 0, b = 0, c = 0;
        // Writers put tabs as well as spaces after the corner count.
        const bool counted = piece[0] == '3' && piece[1] != '\0' && std::strchr(" \t\v\f\r", piece[1]);
        const bool triangle = counted && std::sscanf(piece + 2, "%d %d %d", &a, &b, &c) == 3;
        const auto inside = [this](int v) { return v >= 0 && v < m_nVertices; };
        // Faces that are not usable triangles keep their index places, as the
        // degenerate triangle on vertex 0, which draws nothing.
        if (triangle && inside(a) && inside(b) && inside(c)) {
            idx[0] = a;
            idx[1] = b;
            idx[2] = c;
        } else {
            idx[0] = idx[1] = idx[2] = 0;
        }
    }
}
