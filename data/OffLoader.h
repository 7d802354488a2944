#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "data/ModelLoader.h"

class CMesh;

// Reads an OFF file of triangles into one triangle mesh.
class COffLoader : public CModelLoader {
public:
    bool Load(const std::string& path, CModelSeries& series) override;

private:
    void ReadVertices(std::FILE* file, CMesh& mesh);
    void ReadFaces(std::FILE* file, CMesh& mesh);

    std::int32_t m_nVertices = 0;
    std::int32_t m_nFaces = 0;
};
