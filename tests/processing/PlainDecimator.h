#pragma once
#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "PlainHeap.h"
#include "data/Mesh.h"
#include "processing/MeshDecimator.h"
#include "processing/Quadric.h"

// The decimation told step by step with vectors and sets: none of the
// decimator's records, stores, batches or cache hints. Its contraction
// sequence and its result are what CMeshDecimator must give on a valid
// triangle mesh. The arithmetic is Quadric.h's scalar reference.
class CPlainDecimator {
public:
    explicit CPlainDecimator(const CMesh& mesh)
    {
        m_vertices.resize(std::size_t(mesh.m_nVertices));
        for (int i = 0; i < mesh.m_nVertices; ++i)
            m_vertices[std::size_t(i)].position = mesh.m_pVertices[i];
        for (int i = 0; i < mesh.m_nPolygons; ++i) {
            const std::int32_t* t = &mesh.m_pIndices[3 * i];
            m_faces.push_back({{t[2], t[1], t[0]}});
            for (int c : m_faces.back().corners)
                m_vertices[std::size_t(c)].faces.push_back(i);
        }
        m_currentFaces = mesh.m_nPolygons;
    }

    bool Decimate(int target)
    {
        CollectQuadrics();
        ConstrainBoundaries();
        CollectEdges();
        bool reached = true;
        while (target < m_currentFaces) {
            if (m_heap.Empty()) {
                reached = false;
                break;
            }
            Pair& p = m_pairs[std::size_t(m_heap.Pop())];
            if (Alive(p.first) && Alive(p.second))
                Contract(p);
            p.deleted = true;
        }
        Compact();
        return reached;
    }

    std::vector<ContractionStep> steps;
    std::vector<CVector3> vertices; // the result
    std::vector<std::int32_t> indices;

private:
    struct Vertex {
        CVector3 position;
        std::vector<int> faces;
        std::vector<int> pairs;
        Quadric quadric;
        bool alive = true;
    };
    struct Face {
        int corners[3];
        bool valid = true;
    };
    struct Pair {
        int first, second;
        CVector3 target;
        bool deleted = false;
    };

    bool Alive(int v) const { return m_vertices[std::size_t(v)].alive; }
    static Quadric Scaled(Quadric q, double w)
    {
        for (double* e : {&q.a2, &q.ab, &q.ac, &q.ad, &q.b2, &q.bc, &q.bd, &q.c2, &q.cd, &q.d2})
            *e *= w;
        return q;
    }
    static void RemoveFirst(std::vector<int>& list, int value)
    {
        const auto it = std::find(list.begin(), list.end(), value);
        if (it != list.end())
            list.erase(it);
    }
    CVector3 Position(int v) const { return m_vertices[std::size_t(v)].position; }
    CVector3 FaceNormal(const Face& f, bool normalise) const
    {
        const CVector3 p0 = Position(f.corners[0]);
        CVector3 n = Cross(Position(f.corners[1]) - p0, Position(f.corners[2]) - p0);
        if (normalise)
            n.Normalize();
        return n;
    }

    void CollectQuadrics()
    {
        for (const Face& f : m_faces) {
            const CVector3 raw = FaceNormal(f, false);
            const CVector3 n = FaceNormal(f, true);
            const float area = raw.Length() * 0.5f;
            const float d = -Dot(n, Position(f.corners[0]));
            for (int c : f.corners)
                AddQuadric(m_vertices[std::size_t(c)].quadric, Scaled(PlaneQuadric(n.x, n.y, n.z, d), area));
        }
    }

    // Every vertex that shares a face with v, once, in the order the faces
    // and their corners name them.
    std::vector<int> Neighbours(int v) const
    {
        std::vector<int> out;
        std::set<int> seen{v};
        for (int f : m_vertices[std::size_t(v)].faces)
            for (int c : m_faces[std::size_t(f)].corners)
                if (seen.insert(c).second)
                    out.push_back(c);
        return out;
    }

    void ConstrainBoundaries()
    {
        for (int i = 0; i < int(m_vertices.size()); ++i)
            for (int j : Neighbours(i)) {
                if (j <= i)
                    continue;
                std::vector<int> shared;
                for (int f : m_vertices[std::size_t(i)].faces) {
                    const int* c = m_faces[std::size_t(f)].corners;
                    if (c[0] == j || c[1] == j || c[2] == j)
                        shared.push_back(f);
                }
                if (shared.size() != 1)
                    continue;
                const CVector3 e = Position(j) - Position(i);
                const float w = Dot(e, e);
                CVector3 m = Cross(e, FaceNormal(m_faces[std::size_t(shared[0])], true));
                m.Normalize();
                const float d = -Dot(m, Position(i));
                const Quadric q = Scaled(PlaneQuadric(m.x, m.y, m.z, d), 1000.0 * w);
                AddQuadric(m_vertices[std::size_t(i)].quadric, q);
                AddQuadric(m_vertices[std::size_t(j)].quadric, q);
            }
    }

    void CollectEdges()
    {
        for (int i = 0; i < int(m_vertices.size()); ++i)
            for (int j : Neighbours(i)) {
                if (j <= i)
                    continue;
                const int id = int(m_pairs.size());
                m_pairs.push_back({i, j, {}});
                m_vertices[std::size_t(i)].pairs.push_back(id);
                m_vertices[std::size_t(j)].pairs.push_back(id);
                ComputePairCost(id);
            }
    }

    // The optimal point when it is solved, unless the system is nearly
    // singular and the point far from the edge; else the better end, the
    // second on equal errors.
    void ComputePairCost(int id)
    {
        Pair& p = m_pairs[std::size_t(id)];
        Quadric q = m_vertices[std::size_t(p.first)].quadric;
        AddQuadric(q, m_vertices[std::size_t(p.second)].quadric);
        const CVector3 p1 = Position(p.first), p2 = Position(p.second);
        double cost, det;
        CVector3 point;
        if (SolveOptimalPoint(q, point, det) && (!NearlySingular(q, det) || NearEdge(point, p1, p2))) {
            p.target = point;
            cost = EvaluateQuadric(q, point);
        } else {
            const double c1 = EvaluateQuadric(q, p1), c2 = EvaluateQuadric(q, p2);
            p.target = c1 < c2 ? p1 : p2;
            cost = c1 < c2 ? c1 : c2;
        }
        m_heap.Update(id, float(-cost));
    }

    int Other(int id, int v) const
    {
        const Pair& p = m_pairs[std::size_t(id)];
        return p.first == v ? p.second : p.first;
    }

    void Contract(const Pair& p)
    {
        const int k = p.first, r = p.second;
        Vertex& vk = m_vertices[std::size_t(k)];
        Vertex& vr = m_vertices[std::size_t(r)];
        steps.push_back({k, r, p.target});
        const std::set<int> kFaces(vk.faces.begin(), vk.faces.end());
        const std::set<int> rFaces(vr.faces.begin(), vr.faces.end());
        std::vector<int> shared, kAlone, rAlone;
        for (int f : vk.faces)
            (rFaces.count(f) ? shared : kAlone).push_back(f);
        for (int f : vr.faces)
            if (!kFaces.count(f))
                rAlone.push_back(f);
        m_currentFaces -= int(shared.size());
        const CVector3 delta = p.target - vk.position;

        // The pairs: R's pairs move to K unless K already has one to that end.
        AddQuadric(vk.quadric, vr.quadric);
        std::set<int> kEnds;
        for (int id : vk.pairs)
            kEnds.insert(Other(id, k));
        for (int id : vr.pairs) {
            const int o = Other(id, r);
            if (o != k && !kEnds.count(o)) {
                m_pairs[std::size_t(id)].first = k;
                m_pairs[std::size_t(id)].second = o;
                vk.pairs.push_back(id);
                continue;
            }
            RemoveFirst(m_vertices[std::size_t(o)].pairs, id);
            if (m_heap.Holds(id))
                m_heap.Remove(id);
            if (o != k)
                m_pairs[std::size_t(id)].deleted = true;
        }
        vr.pairs.clear();

        // The faces: shared ones collapse, R's own ones move to K.
        vk.position += delta;
        for (int f : shared) {
            m_faces[std::size_t(f)].valid = false;
            for (int c : m_faces[std::size_t(f)].corners)
                RemoveFirst(m_vertices[std::size_t(c)].faces, f);
        }
        for (int f : rAlone) {
            for (int& c : m_faces[std::size_t(f)].corners)
                if (c == r)
                    c = k;
            vk.faces.push_back(f);
        }
        vr.alive = false;
        vr.faces.clear();
        for (int id : vk.pairs)
            ComputePairCost(id);
    }

    void Compact()
    {
        std::vector<int> newIndex(m_vertices.size(), -1);
        for (std::size_t i = 0; i < m_vertices.size(); ++i) {
            Vertex& v = m_vertices[i];
            if (v.alive && v.faces.empty())
                v.alive = false;
            if (v.alive) {
                newIndex[i] = int(vertices.size());
                vertices.push_back(v.position);
            }
        }
        for (const Face& f : m_faces)
            if (f.valid)
                for (int k : {2, 1, 0})
                    indices.push_back(newIndex[std::size_t(f.corners[k])]);
    }

    std::vector<Vertex> m_vertices;
    std::vector<Face> m_faces;
    std::vector<Pair> m_pairs;
    PlainHeap m_heap;
    int m_currentFaces = 0;
};
