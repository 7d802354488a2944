#pragma once
#include <string>

#include "data/Mesh.h"

// A mesh read from the native file; its bounds are the stored ones.
class CNativeMesh : public CMesh {
public:
    CNativeMesh();
    // Fills a freshly constructed mesh; false (and the mesh left as it was
    // made) for anything that is not a well-formed native mesh file.
    bool Read(const std::string& path);
};
