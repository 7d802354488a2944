#pragma once
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "data/Mesh.h"
#include "data/MessageLog.h"
#include "support/RecordingLogOwner.h"

// Small triangle meshes for the decimation tests; triangles wind
// counter-clockwise seen from outside.
struct Shape {
    std::vector<CVector3> v;
    std::vector<std::int32_t> idx;
};

inline std::unique_ptr<CMesh> ToMesh(const Shape& s)
{
    auto m = std::make_unique<CMesh>();
    m->m_nPrimitive = kGlTriangles;
    CVector3* v = m->SetVertexCount(int(s.v.size()));
    for (std::size_t i = 0; i < s.v.size(); ++i)
        v[i] = s.v[i];
    std::int32_t* idx = m->SetIndexCount(int(s.idx.size()));
    for (std::size_t i = 0; i < s.idx.size(); ++i)
        idx[i] = s.idx[i];
    m->m_nPolygons = int(s.idx.size() / 3);
    m->ComputeNormals();
    return m;
}

inline CVector3 TriangleNormal(const CVector3* v, const std::int32_t* t)
{
    return Cross(v[t[1]] - v[t[0]], v[t[2]] - v[t[0]]);
}

// Unit sphere from an icosahedron subdivided `levels` times.
inline Shape Icosphere(int levels)
{
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    Shape s;
    s.v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
           {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    s.idx = {0, 11, 5, 0, 5, 1, 0, 1, 7, 0, 7, 10, 0, 10, 11, 1, 5, 9, 5, 11, 4, 11, 10, 2, 10, 7, 6, 7, 1, 8,
             3, 9, 4, 3, 4, 2, 3, 2, 6, 3, 6, 8, 3, 8, 9, 4, 9, 5, 2, 4, 11, 6, 2, 10, 8, 6, 7, 9, 8, 1};
    for (CVector3& p : s.v)
        p.Normalize();
    for (int l = 0; l < levels; ++l) {
        std::map<std::pair<int, int>, int> mid;
        auto middle = [&](int a, int b) {
            auto key = std::minmax(a, b);
            auto it = mid.find(key);
            if (it != mid.end())
                return it->second;
            CVector3 p = (s.v[size_t(a)] + s.v[size_t(b)]) * 0.5f;
            p.Normalize();
            s.v.push_back(p);
            return mid[key] = int(s.v.size()) - 1;
        };
        std::vector<std::int32_t> next;
        for (std::size_t f = 0; f < s.idx.size(); f += 3) {
            const int a = s.idx[f], b = s.idx[f + 1], c = s.idx[f + 2];
            const int ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
            next.insert(next.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        s.idx = std::move(next);
    }
    return s;
}

// Closed torus of nu x nv quads, each split into two triangles.
inline Shape Torus(int nu, int nv, float major = 3.0f, float minor = 1.0f)
{
    Shape s;
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            const float u = 6.2831853f * float(i) / float(nu), w = 6.2831853f * float(j) / float(nv);
            const float r = major + minor * std::cos(w);
            s.v.push_back({r * std::cos(u), r * std::sin(u), minor * std::sin(w)});
        }
    auto at = [&](int i, int j) { return ((i + nu) % nu) * nv + (j + nv) % nv; };
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j)
            s.idx.insert(s.idx.end(), {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j), at(i + 1, j + 1),
                                       at(i, j + 1)});
    return s;
}

// Flat strip of n triangles between the lines y = 0 and y = 1.
inline Shape Strip(int n)
{
    Shape s;
    for (int i = 0; i <= n / 2 + 1; ++i) {
        s.v.push_back({float(i), 0, 0});
        s.v.push_back({float(i), 1, 0});
    }
    for (int t = 0; t < n; ++t) {
        const int i = t / 2;
        if (t % 2 == 0)
            s.idx.insert(s.idx.end(), {2 * i, 2 * i + 2, 2 * i + 1});
        else
            s.idx.insert(s.idx.end(), {2 * i + 1, 2 * i + 2, 2 * i + 3});
    }
    return s;
}

// Records the busy-box texts for the length of a test.
class StatusRecorder {
public:
    StatusRecorder() { CMessageLog::GetInstance(&owner)->m_pView = &owner; }
    ~StatusRecorder() { CMessageLog::GetInstance(nullptr)->m_pView = nullptr; }
    StatusRecorder(const StatusRecorder&) = delete;
    StatusRecorder& operator=(const StatusRecorder&) = delete;
    std::vector<std::string> Texts() const { return owner.ShownTexts(); }

    CRecordingLogOwner owner;
};
