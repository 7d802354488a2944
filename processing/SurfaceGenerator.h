#pragma once
#include <cstdint>
#include <memory>

#include "data/Vector3.h"

class CMesh;
class CSurfaceMesh;
class CVolume;
struct VolumeStatistics;

// Marching cubes over the non-zero box of a volume, padded by one cell below
// each minimum (corners outside the volume read 0), so that every surface is
// closed. Vertices sit on cut edges, one per edge, numbered in ascending edge
// id; the mesh lies in voxel-size units with its origin at voxel (0, 0, 0).
class CSurfaceGenerator {
public:
    explicit CSurfaceGenerator(CVolume* volume);
    ~CSurfaceGenerator();
    CSurfaceGenerator(const CSurfaceGenerator&) = delete;
    CSurfaceGenerator& operator=(const CSurfaceGenerator&) = delete;

    // A new triangle mesh of the surface where the voxels cross `iso`; a
    // voxel below iso is inside, one equal to it outside. Never null.
    std::unique_ptr<CSurfaceMesh> Generate(std::uint16_t iso);

    // Id of edge 0..11 of cell (x, y, z), for cells from -1 to dim on each
    // axis: 3 * (gx+1 + (dimX+2) * (gy+1 + (dimY+2) * (gz+1))) + axis of the
    // edge's lower grid point; -1 for any other edge number.
    std::int64_t GetEdgeId(int x, int y, int z, int edge) const;

    // Shows the busy texts "Reorganising vertices ..." and "Building mesh
    // ..." and leaves the mesh as it is: the march has already written the
    // vertices (in ascending edge id) and the triangles (each as its table
    // corners c, b, a) straight into it, so nothing is left to build.
    void BuildMesh(CMesh& mesh);

    CVolume* m_pVolume = nullptr;
    int m_nDimX = 0, m_nDimY = 0, m_nDimZ = 0;
    float m_fScaleX = 1.0f, m_fScaleY = 1.0f, m_fScaleZ = 1.0f;
    std::uint16_t m_nIsoValue = 0;

private:
    // Fills the mesh; `data` null reads the voxels one by one.
    template <class T> void March(CMesh& mesh, const T* data, const VolumeStatistics& box);
};
