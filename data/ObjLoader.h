#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "data/ModelLoader.h"
#include "data/Vector3.h"

class CMesh;

// Reads the vertices and faces of an OBJ file into one triangle mesh, with a
// named group per block of faces. Anything else in the file is skipped.
class CObjLoader : public CModelLoader {
public:
    bool Load(const std::string& path, CModelSeries& series) override;

private:
    void Reset();
    void ParseVertexLine(std::FILE* file);
    void ParseFaceLine(std::FILE* file);
    void EndGroup(CMesh& mesh);

    std::int32_t m_nGroupNumber = 0;
    std::string m_strGroupName;
    bool m_bFaceSeen = false;
    bool m_bHasTexCoords = false;
    bool m_bHasNormals = false;
    std::int32_t m_nVertices = 0;
    std::int32_t m_nTriangles = 0;
    std::int32_t m_nIndices = 0;
    std::int32_t m_nGroupIndices = 0;
    std::int32_t m_nGroupStart = 0;
    std::vector<CVector3> m_aVertices;
    std::vector<std::int32_t> m_aIndices;
};
