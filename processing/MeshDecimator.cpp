#include "processing/MeshDecimator.h"

#include <algorithm>
#include <cmath>

#include "data/Mesh.h"
#include "data/MessageLog.h"
#include "platform/Format.h"
#include "platform/Memory.h"
#include "processing/PairKeys.h"

namespace {

void Status(const char* text) { CMessageLog::ShowStatus(text, true); }

// Records of a large mesh take hundreds of megabytes; huge pages make their
// first touch much cheaper.
template <class T> void SizeArray(std::vector<T>& v, std::size_t n)
{
    v.reserve(n);
    AdviseHugePages(v.data(), n * sizeof(T));
    v.resize(n);
}

} // namespace

CMeshDecimator::CMeshDecimator(CMesh* mesh) : m_pMesh(mesh)
{
    if (mesh->m_bDirty)
        mesh->UpdateBounds();
    m_nVertices = std::max(mesh->m_nVertices, 0);
    m_nFaces = std::max(mesh->m_nPolygons, 0);
    SizeArray(m_pVertices, size_t(m_nVertices));
    SizeArray(m_pFaces, size_t(m_nFaces));
    m_pHeap = std::make_unique<CPairHeap>();
    m_nCurrentFaces = m_nFaces;
}

// The heap takes every pair with it.
CMeshDecimator::~CMeshDecimator() = default;

bool CMeshDecimator::Decimate(int target)
{
    if (m_pMesh->m_nPrimitive != kGlTriangles)
        return false;
    Collect();
    bool reached = true;
    long popped = 0;
    CPairHeap& heap = *m_pHeap;
    while (target < m_nCurrentFaces) {
        DecimPair* pair = heap.Pop();
        if (!pair) {
            reached = false;
            break;
        }
        if (!heap.Empty())
            PrefetchTopPair(heap.At(0));
        DecimVertex& first = m_pVertices[size_t(pair->first)];
        DecimVertex& second = m_pVertices[size_t(pair->second)];
        // Out of the lists at once, so that they never name a deleted pair.
        m_pairLists.RemoveFirst(first.pairs, pair->id);
        m_pairLists.RemoveFirst(second.pairs, pair->id);
        if (first.alive && second.alive)
            ContractPair(*pair);
        heap.DeletePair(pair);
        if (popped++ % 200 == 0)
            Status(FormatString("Target = %d, Current = %d", target, m_nCurrentFaces).c_str());
        if (!heap.Empty())
            PrefetchTopLists(heap.At(0));
    }
    Compact();
    return reached;
}

void CMeshDecimator::ContractPair(const DecimPair& pair)
{
    const int k = pair.first, r = pair.second;
    DecimVertex& vk = m_pVertices[k];
    DecimVertex& vr = m_pVertices[r];
    // What the contraction reads next, requested all at once.
    PrefetchFacesOf(vk);
    PrefetchFacesOf(vr);
    PrefetchPairsOf(vk);
    PrefetchPairsOf(vr);
    // The face marks: 1 on the faces of K alone and of R alone, 2 on those of
    // both, whose corners are requested as they are found.
    for (int f : m_faceLists.View(vr.faces))
        m_pFaces[f].mark = 0;
    for (int f : m_faceLists.View(vk.faces))
        m_pFaces[f].mark = 1;
    for (int f : m_faceLists.View(vr.faces)) {
        DecimFace& face = m_pFaces[f];
        if (++face.mark == 2)
            PrefetchCorners(face);
    }

    Contraction& c = m_contraction;
    c.kept = k;
    c.removed = r;
    // The target is not kept with the pair: its ends' quadrics and positions
    // are those of its last cost, which gives it again exactly.
    const CVector3 target = PairTarget(pair);
    if (m_pTrace)
        m_pTrace->push_back({k, r, target});
    c.delta = target - vk.position;
    c.singleSide.clear();
    c.shared.clear();
    SplitFaces(vk.faces, c);
    c.split = std::int32_t(c.singleSide.size());
    SplitFaces(vr.faces, c);
    m_nCurrentFaces -= int(c.shared.size());
    PrefetchThirdCornerLists(c.shared, k, r);
    MergePairs(k, r);
    if (!m_pHeap->Empty())
        PrefetchTopVertices(m_pHeap->At(0));
    ApplyContraction(c);
}

void CMeshDecimator::Collect()
{
    // The vertex records are written in one pass once the lists' sizes are
    // known, and each face enters its corners' lists and quadrics in one
    // pass: the records are read and written as few times as possible.
    Status("Collecting vertices ...");
    Status("Collecting polygons ...");
    const std::int32_t* idx = m_pMesh->m_pIndices.get();
    const int polygons = idx ? std::min(m_nFaces, std::max(m_pMesh->m_nIndices, 0) / 3) : 0;
    std::vector<std::int32_t> valence(size_t(m_nVertices), 0);
    auto inRange = [&](std::int32_t v) { return v >= 0 && v < m_nVertices; };
    for (int i = 0; i < m_nFaces; ++i) {
        DecimFace& f = m_pFaces[i];
        if (i >= polygons) {
            f.valid = false;
            continue;
        }
        const std::int32_t a = idx[3 * i], b = idx[3 * i + 1], c = idx[3 * i + 2];
        f.corners[0] = c;
        f.corners[1] = b;
        f.corners[2] = a;
        // Imported faces may repeat a vertex or name one that does not exist;
        // such a face has no plane and no edges to contract.
        f.valid = inRange(a) && inRange(b) && inRange(c) && a != b && b != c && a != c;
        if (f.valid) {
            ++valence[size_t(a)];
            ++valence[size_t(b)];
            ++valence[size_t(c)];
        }
    }
    std::size_t total = 0;
    for (int i = 0; i < m_nVertices; ++i)
        total += std::size_t(valence[size_t(i)]) + 2;
    // Address space only: lists that outgrow their room move to the end, and
    // a store that had to grow would copy every list.
    m_faceLists.Reserve(8 * total);
    m_pairLists.Reserve(8 * total);
    const CVector3* src = m_pMesh->m_pVertices.get();
    for (int i = 0; i < m_nVertices; ++i) {
        const auto room = std::uint32_t(valence[size_t(i)] + 2);
        DecimVertex& v = m_pVertices[size_t(i)];
        v.position = src ? src[i] : CVector3();
        v.faces = m_faceLists.Make(room);
        v.pairs = m_pairLists.Make(room);
        v.quadric = Quadric();
    }

    Status("Collecting quadrics ...");
    m_nCurrentFaces = 0;
    for (int i = 0; i < m_nFaces; ++i) {
        const DecimFace& f = m_pFaces[i];
        if (!f.valid)
            continue;
        ++m_nCurrentFaces;
        const Quadric q = FaceQuadric(i);
        for (int k = 0; k < 3; ++k) {
            DecimVertex& v = m_pVertices[size_t(f.corners[k])];
            m_faceLists.Push(v.faces, i);
            AddQuadric(v.quadric, q);
        }
    }
    Status("Constraining boundaries ...");
    ConstrainBoundaries();
    Status("Collecting edges ...");
    CollectEdges();
}

CVector3 CMeshDecimator::FaceNormal(int face, bool normalise) const
{
    const DecimFace& f = m_pFaces[face];
    const CVector3& p0 = m_pVertices[f.corners[0]].position;
    CVector3 n = Cross(m_pVertices[f.corners[1]].position - p0, m_pVertices[f.corners[2]].position - p0);
    if (normalise)
        n.Normalize();
    return n;
}

Quadric CMeshDecimator::FaceQuadric(int face) const
{
    const CVector3 raw = FaceNormal(face, false);
    CVector3 n = raw;
    n.Normalize();
    const float area = raw.Length() * 0.5f;
    const float d = -Dot(n, m_pVertices[size_t(m_pFaces[size_t(face)].corners[0])].position);
    return PlaneQuadric(n.x, n.y, n.z, d, area);
}

void CMeshDecimator::CollectQuadrics()
{
    for (DecimVertex& v : m_pVertices)
        v.quadric = Quadric();
    for (int i = 0; i < m_nFaces; ++i) {
        const DecimFace& f = m_pFaces[i];
        if (!f.valid)
            continue;
        const Quadric q = FaceQuadric(i);
        for (int k = 0; k < 3; ++k)
            AddQuadric(m_pVertices[size_t(f.corners[k])].quadric, q);
    }
}

void CMeshDecimator::CollectNeighbours(int vertex, std::vector<std::int32_t>& out)
{
    out.clear();
    DecimVertex* v = m_pVertices.data();
    const DecimFace* faces = m_pFaces.data();
    const auto list = m_faceLists.View(v[vertex].faces);
    for (int f : list)
        for (int c : faces[f].corners)
            v[c].mark = 0;
    v[vertex].mark = 1;
    for (int f : list)
        for (int c : faces[f].corners) {
            if (!v[c].mark) {
                v[c].mark = 1;
                out.push_back(c);
            }
        }
}

void CMeshDecimator::CollectEdgeTable(bool constrain)
{
    // One walk over the neighbourhoods: the marks count the faces a
    // neighbour shares with the vertex (1, or 2 for two or more), so a
    // boundary edge shows without a search; the edges (i, j > i) are kept in
    // neighbour order for the pairs. The marks sit in an array of their own:
    // the walk then never loads the neighbours' records.
    m_aEdgeFirst.assign(size_t(m_nVertices) + 1, 0);
    m_aEdgeEnds.clear();
    m_aEdgeEnds.reserve(3 * size_t(m_nFaces) / 2 + 16);
    std::vector<std::uint8_t> marks(size_t(m_nVertices), 0);
    std::uint8_t* mark = marks.data();
    const DecimFace* faces = m_pFaces.data();
    std::vector<std::int32_t>& around = m_aNeighbours;
    for (int i = 0; i < m_nVertices; ++i) {
        m_aEdgeFirst[size_t(i)] = std::int32_t(m_aEdgeEnds.size());
        const auto list = FacesOf(i);
        for (int f : list)
            for (int c : faces[f].corners)
                mark[c] = 0;
        mark[i] = 3;
        around.clear();
        for (int f : list)
            for (int c : faces[f].corners) {
                const std::uint8_t m = mark[c];
                if (m == 0) {
                    mark[c] = 1;
                    around.push_back(c);
                } else if (m == 1) {
                    mark[c] = 2;
                }
            }
        for (int j : around) {
            if (j <= i)
                continue;
            m_aEdgeEnds.push_back(j);
            if (!constrain || mark[j] != 1)
                continue;
            for (int f : list) {
                const std::int32_t* c = faces[f].corners;
                if (c[0] == j || c[1] == j || c[2] == j) {
                    AddBoundaryConstraint(i, j, f);
                    break;
                }
            }
        }
    }
    m_aEdgeFirst[size_t(m_nVertices)] = std::int32_t(m_aEdgeEnds.size());
}

void CMeshDecimator::ConstrainBoundaries() { CollectEdgeTable(true); }

void CMeshDecimator::AddBoundaryConstraint(int i, int j, int face)
{
    const CVector3& pi = m_pVertices[i].position;
    const CVector3 e = m_pVertices[j].position - pi;
    const float w = Dot(e, e);
    const CVector3 n = FaceNormal(face, true);
    CVector3 m = Cross(e, n);
    m.Normalize();
    const float d = -Dot(m, pi);
    const Quadric q = PlaneQuadric(m.x, m.y, m.z, d, 1000.0 * w);
    AddQuadric(m_pVertices[size_t(i)].quadric, q);
    AddQuadric(m_pVertices[size_t(j)].quadric, q);
}

void CMeshDecimator::CollectEdges()
{
    CPairHeap& heap = *m_pHeap;
    heap.SetGrowStep(3 * size_t(m_nFaces));
    heap.Clear();
    if (m_aEdgeFirst.size() != size_t(m_nVertices) + 1)
        CollectEdgeTable(false);
    const std::size_t count = m_aEdgeEnds.size();
    heap.ReservePairs(count);
    heap.ReserveSlots(count);
    // The pairs are costed and entered in batches as they are made, while
    // their records are at hand: a cost reads only the quadrics, which are
    // complete, and the heap sees the pairs in the same order.
    const std::int32_t first = heap.NewPairs(count);
    DecimPair* batch[64];
    std::size_t n = 0;
    for (int i = 0; i < m_nVertices; ++i) {
        for (std::int32_t e = m_aEdgeFirst[size_t(i)]; e < m_aEdgeFirst[size_t(i) + 1]; ++e) {
            const std::int32_t j = m_aEdgeEnds[size_t(e)];
            DecimPair* pair = first >= 0 ? heap.PairAt(first + e) : heap.NewPair();
            pair->first = i;
            pair->second = j;
            m_pairLists.Push(m_pVertices[size_t(i)].pairs, pair->id);
            m_pairLists.Push(m_pVertices[size_t(j)].pairs, pair->id);
            batch[n++] = pair;
            if (n == std::size(batch)) {
                ComputePairCosts(batch, n);
                n = 0;
            }
        }
    }
    ComputePairCosts(batch, n);
    std::vector<std::int32_t>().swap(m_aEdgeEnds);
    std::vector<std::int32_t>().swap(m_aEdgeFirst);
    heap.Trim();
}

PairChoice CMeshDecimator::ChoosePair(const DecimPair& pair) const
{
    const DecimVertex& v1 = m_pVertices[size_t(pair.first)];
    const DecimVertex& v2 = m_pVertices[size_t(pair.second)];
    Quadric q = v1.quadric;
    AddQuadric(q, v2.quadric);
    return ChoosePairTarget(q, v1.position, v2.position);
}

CVector3 CMeshDecimator::PairTarget(const DecimPair& pair) const { return ChoosePair(pair).target; }

void CMeshDecimator::ComputePairCosts(DecimPair* const* pairs, std::size_t n)
{
    ComputePairKeys(m_pVertices.data(), pairs, n);
    for (std::size_t k = 0; k < n; ++k)
        m_pHeap->Update(pairs[k]);
}

void CMeshDecimator::ComputePairCost(DecimPair* pair)
{
    pair->key = float(-ChoosePair(*pair).cost);
    m_pHeap->Update(pair);
}

void CMeshDecimator::SplitFaces(const FaceList& faces, Contraction& c)
{
    for (int f : m_faceLists.View(faces)) {
        DecimFace& face = m_pFaces[f];
        if (face.mark == 1)
            c.singleSide.push_back(f);
        else if (face.mark == 2)
            c.shared.push_back(f);
        else
            continue;
        face.mark = 0;
    }
}

void CMeshDecimator::MergePairs(int kept, int removed)
{
    DecimVertex& k = m_pVertices[size_t(kept)];
    DecimVertex& r = m_pVertices[size_t(removed)];
    AddQuadric(k.quadric, r.quadric);
    PairList& kList = k.pairs;
    PairList& rList = r.pairs;
    CPairHeap& heap = *m_pHeap;
    auto other = [](const DecimPair* p, int v) { return p->first == v ? p->second : p->first; };
    for (std::int32_t id : m_pairLists.View(rList)) {
        const int o = other(heap.PairAt(id), removed);
        PrefetchOtherEnd(heap, id, o);
        m_pVertices[size_t(o)].mark = 0;
    }
    for (std::int32_t id : m_pairLists.View(kList)) {
        const int o = other(heap.PairAt(id), kept);
        PrefetchOtherEnd(heap, id, o);
        m_pVertices[size_t(o)].mark = 1;
    }
    // The other ends' lists lose their duplicates only after the contraction's
    // costs: by then those lists have loaded.
    m_dropped.clear();
    // By index: appending to K's list may move the store.
    for (std::uint32_t n = 0; n < rList.size; ++n) {
        const std::int32_t id = m_pairLists.At(rList, n);
        DecimPair* p = heap.PairAt(id);
        const int o = other(p, removed);
        if (o != kept && !m_pVertices[size_t(o)].mark) {
            p->first = kept;
            p->second = o;
            m_pairLists.Push(kList, id);
            continue;
        }
        if (o == kept)
            m_pairLists.RemoveFirst(kList, id);
        else
            m_dropped.push_back({o, id});
        heap.Remove(id);
        if (o != kept)
            heap.DeletePair(p);
    }
    m_pairLists.Clear(rList);
    PrefetchDroppedLists();
}

void CMeshDecimator::ApplyContraction(const Contraction& c)
{
    DecimVertex& k = m_pVertices[size_t(c.kept)];
    DecimVertex& r = m_pVertices[size_t(c.removed)];
    CPairHeap& heap = *m_pHeap;
    k.position += c.delta;
    // R's own list is emptied below.
    for (int f : c.shared) {
        DecimFace& face = m_pFaces[size_t(f)];
        face.valid = false;
        for (int v : face.corners)
            if (v != c.removed)
                m_faceLists.RemoveFirst(m_pVertices[size_t(v)].faces, std::int32_t(f));
    }
    for (size_t i = size_t(c.split); i < c.singleSide.size(); ++i) {
        const int f = c.singleSide[i];
        for (std::int32_t& v : m_pFaces[size_t(f)].corners)
            if (v == c.removed)
                v = c.kept;
        m_faceLists.Push(k.faces, f);
    }
    r.alive = false;
    m_faceLists.Clear(r.faces);
    // The costs first, then the heap moves in the same order: the heap's
    // slots load while the costs are computed.
    const auto pairs = m_pairLists.View(k.pairs);
    m_aPairScratch.clear();
    for (std::int32_t id : pairs)
        m_aPairScratch.push_back(heap.PairAt(id));
    ComputePairKeys(m_pVertices.data(), m_aPairScratch.data(), m_aPairScratch.size());
    for (const DecimPair* p : m_aPairScratch)
        heap.Update(p->id, p->key);
    for (const auto& d : m_dropped)
        m_pairLists.RemoveFirst(m_pVertices[size_t(d.first)].pairs, d.second);
    m_dropped.clear();
}

void CMeshDecimator::Compact()
{
    Status("Compacting ...");
    std::vector<std::int32_t> newIndex(size_t(m_nVertices), -1);
    m_nKeptVertices = 0;
    for (int i = 0; i < m_nVertices; ++i) {
        DecimVertex& v = m_pVertices[i];
        if (v.alive && v.faces.empty())
            v.alive = false;
        if (v.alive)
            newIndex[size_t(i)] = m_nKeptVertices++;
    }

    Status("Rebuilding vertices ...");
    // Everything is built aside first: the mesh keeps its arrays until the
    // new ones are complete.
    std::unique_ptr<CVector3[]> vertices, normals;
    if (m_nKeptVertices > 0) {
        vertices.reset(new CVector3[size_t(m_nKeptVertices)]);
        normals.reset(new CVector3[size_t(m_nKeptVertices)]);
    }
    for (int i = 0; i < m_nVertices; ++i)
        if (newIndex[size_t(i)] >= 0)
            vertices[size_t(newIndex[size_t(i)])] = m_pVertices[i].position;
    const int indexCount = 3 * m_nCurrentFaces;
    std::unique_ptr<std::int32_t[]> indices;
    if (indexCount > 0)
        indices.reset(new std::int32_t[size_t(indexCount)]);

    Status("Rebuilding polygons ...");
    // Groups name ranges of the old index list; they are mapped onto the
    // faces that survive so that none reaches past the new list.
    std::vector<std::int32_t> facesBefore(size_t(m_nFaces) + 1, 0);
    int n = 0;
    for (int i = 0; i < m_nFaces; ++i) {
        facesBefore[size_t(i)] = n;
        const DecimFace& f = m_pFaces[i];
        if (!f.valid)
            continue;
        indices[3 * size_t(n)] = newIndex[size_t(f.corners[2])];
        indices[3 * size_t(n) + 1] = newIndex[size_t(f.corners[1])];
        indices[3 * size_t(n) + 2] = newIndex[size_t(f.corners[0])];
        ++n;
    }
    facesBefore[size_t(m_nFaces)] = n;
    std::vector<CMeshGroup> groups = m_pMesh->m_aGroups;
    for (CMeshGroup& g : groups) {
        auto faceAt = [&](long index) {
            return facesBefore[size_t(std::clamp<long>(index / 3, 0, m_nFaces))];
        };
        const long first = std::max(g.m_nFirstIndex, 0);
        const long end = first + std::max(g.m_nIndexCount, 0);
        g.m_nFirstIndex = 3 * faceAt(first);
        g.m_nIndexCount = 3 * (faceAt(end) - faceAt(first));
    }

    CMesh& mesh = *m_pMesh;
    mesh.m_pVertices = std::move(vertices);
    mesh.m_pNormals = std::move(normals);
    mesh.m_nVertices = m_nKeptVertices;
    mesh.m_pIndices = std::move(indices);
    mesh.m_nIndices = 3 * n;
    mesh.m_nPolygons = n;
    mesh.m_aGroups = std::move(groups);
    mesh.m_bDirty = true;
    mesh.ComputeNormals();
}
