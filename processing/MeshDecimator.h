#pragma once
// Mesh decimation by edge contraction in the order of the quadric error
// metric (Garland & Heckbert 1997).
//
// Every vertex carries a quadric, the sum of the squared distances to the
// planes of its faces, each plane weighted by its face's area (Garland
// 1999). A boundary edge, one that a single face uses, adds to both its ends
// a plane through the edge perpendicular to that face, weighted by 1000
// times the squared edge length, so that contractions keep the boundary in
// place (Garland & Heckbert 1997); the squared length makes the penalty
// scale like the area weights.
//
// Every edge is a candidate pair, each once. Its cost is the sum of its ends'
// quadrics at the point where that sum is least, the solution of a 3 x 3
// system, and that point is its target. A singular system (a flat or
// straight neighbourhood) takes the better of the two ends instead. So does
// a nearly singular one whose solved point lies farther from the edge's
// midpoint than the edge is long: the near-edge rule. The determinant limit
// that marks a system singular is fixed, and a nearly flat patch of large
// faces passes it on rounding alone, with a "solution" anywhere along its
// plane; nearly singular is measured against the system's own scale, its
// trace (Quadric.h).
//
// The cheapest pair is contracted until the face count reaches the target:
// the second vertex merges into the first, which moves to the target and
// takes the sum of both quadrics; the faces that used both vertices
// collapse; pairs that now join the same two vertices become one; and the
// costs of the kept vertex's pairs are computed again.
//
// Layout: flat arrays of small records. A vertex record holds all that a
// contraction reads of it in two cache lines; the per-vertex lists of faces
// and pairs live in two shared stores (CListArena); the pairs live in the
// heap's pool, ordered by a heap whose slots carry the keys (CPairHeap).
// The quadric arithmetic and the target choice are Quadric.h.
//
// Sources: M. Garland, P. S. Heckbert, "Surface Simplification Using Quadric
// Error Metrics", SIGGRAPH 1997. M. Garland, "Quadric-Based Polygonal
// Surface Simplification", PhD thesis, Carnegie Mellon University,
// CMU-CS-99-105, 1999. The heap with back-pointers: T. H. Cormen et al.,
// "Introduction to Algorithms", the priority queue with handles.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <vector>

#include "data/Vector3.h"
#include "processing/ListArena.h"
#include "processing/PairHeap.h"
#include "processing/Quadric.h"

class CMesh;

using FaceList = CListArena<std::int32_t>::List;
using PairList = CListArena<std::int32_t>::List; // pair numbers of the heap's pool

// The pairs of a vertex, as the heap's records.
class CPairView {
public:
    class iterator {
    public:
        using value_type = DecimPair*;
        using difference_type = std::ptrdiff_t;
        using pointer = DecimPair* const*;
        using reference = DecimPair*;
        using iterator_category = std::forward_iterator_tag;
        iterator() = default;
        iterator(const CPairHeap* heap, const std::int32_t* at) : m_heap(heap), m_at(at) {}
        DecimPair* operator*() const { return const_cast<DecimPair*>(m_heap->PairAt(*m_at)); }
        iterator& operator++()
        {
            ++m_at;
            return *this;
        }
        iterator operator++(int)
        {
            iterator old = *this;
            ++m_at;
            return old;
        }
        bool operator==(const iterator& o) const { return m_at == o.m_at; }

    private:
        const CPairHeap* m_heap = nullptr;
        const std::int32_t* m_at = nullptr;
    };
    CPairView(const CPairHeap* heap, std::span<const std::int32_t> ids) : m_heap(heap), m_ids(ids) {}
    iterator begin() const { return {m_heap, m_ids.data()}; }
    iterator end() const { return {m_heap, m_ids.data() + m_ids.size()}; }
    std::size_t size() const { return m_ids.size(); }
    bool empty() const { return m_ids.empty(); }

private:
    const CPairHeap* m_heap;
    std::span<const std::int32_t> m_ids;
};

// Everything a contraction reads of a vertex, in two cache lines.
struct alignas(64) DecimVertex {
    CVector3 position;
    bool alive = true;
    std::uint8_t mark = 0;
    FaceList faces; // in the decimator's face list store
    PairList pairs; // in its pair list store, not owning
    Quadric quadric;
};
// A vertex is requested as two lines; the pair-key kernel loads the position
// as 16 bytes, the four after it inside the record.
static_assert(sizeof(DecimVertex) == 128 && alignof(DecimVertex) == 64);
static_assert(sizeof(CVector3) == 12 && offsetof(CVector3, y) == 4 && offsetof(CVector3, z) == 8);
static_assert(offsetof(DecimVertex, position) + 16 <= offsetof(DecimVertex, quadric));

// The vertices' quadrics, indexed like the vertices.
class CQuadricView {
public:
    explicit CQuadricView(std::vector<DecimVertex>* vertices) : m_v(vertices) {}
    Quadric& operator[](std::size_t i) const { return (*m_v)[i].quadric; }

private:
    std::vector<DecimVertex>* m_v;
};

struct DecimFace {
    std::int32_t corners[3] = {-1, -1, -1}; // the mesh's a, b, c stored as c, b, a
    std::uint8_t mark = 0;
    bool valid = true;
};

// Scratch record of one contraction of R into K.
struct Contraction {
    std::int32_t kept = -1;
    std::int32_t removed = -1;
    CVector3 delta;          // target - position of K
    std::int32_t split = 0;  // single-side entries that came from K's faces
    std::vector<std::int32_t> singleSide;
    std::vector<std::int32_t> shared;
};

// One contraction as the tests see it.
struct ContractionStep {
    std::int32_t kept, removed;
    CVector3 target;
    bool operator==(const ContractionStep&) const = default;
};

// Reduces a triangle mesh in place by edge contractions in the order of the
// quadric error metric. The mesh keeps its arrays until the reduced ones are
// complete, so a failure leaves it as it was.
class CMeshDecimator {
public:
    explicit CMeshDecimator(CMesh* mesh);
    ~CMeshDecimator();
    CMeshDecimator(const CMeshDecimator&) = delete;
    CMeshDecimator& operator=(const CMeshDecimator&) = delete;

    // True when the face count reached `target`, false when the pairs ran out.
    bool Decimate(int target);

    // Internal steps, public for the tests.
    void Collect();
    void CollectQuadrics();
    void ConstrainBoundaries();
    void AddBoundaryConstraint(int i, int j, int face);
    void CollectEdges();
    void ComputePairCost(DecimPair* pair);
    // Where the pair's contraction puts the kept vertex, from its ends now.
    CVector3 PairTarget(const DecimPair& pair) const;
    // ComputePairCost on each pair in order, the costs computed several at a time.
    void ComputePairCosts(DecimPair* const* pairs, std::size_t n);
    void SplitFaces(const FaceList& faces, Contraction& c);
    void MergePairs(int kept, int removed);
    void ApplyContraction(const Contraction& c);
    void Compact();
    CVector3 FaceNormal(int face, bool normalise) const;
    // The face's plane quadric weighted by its area.
    Quadric FaceQuadric(int face) const;
    void CollectNeighbours(int vertex, std::vector<std::int32_t>& out);

    // The faces and the pairs of a vertex.
    std::span<const std::int32_t> FacesOf(int v) const { return m_faceLists.View(m_pVertices[v].faces); }
    CPairView PairsOf(int v) const { return {m_pHeap.get(), m_pairLists.View(m_pVertices[v].pairs)}; }

    CMesh* m_pMesh = nullptr;
    std::vector<DecimVertex> m_pVertices;
    std::vector<DecimFace> m_pFaces;
    int m_nVertices = 0;
    int m_nFaces = 0;
    int m_nKeptVertices = 0;
    int m_nCurrentFaces = 0;
    CQuadricView m_pQuadrics{&m_pVertices};
    std::unique_ptr<CPairHeap> m_pHeap;
    // When set, every contraction is appended here.
    std::vector<ContractionStep>* m_pTrace = nullptr;

private:
    CListArena<std::int32_t> m_faceLists;
    CListArena<std::int32_t> m_pairLists;
    std::vector<std::pair<std::int32_t, std::int32_t>> m_dropped; // other end, pair
    std::vector<std::int32_t> m_aNeighbours; // scratch
    std::vector<DecimPair*> m_aPairScratch;  // scratch
    // The edges (i, j > i) by i, from the boundary walk to the pairs.
    std::vector<std::int32_t> m_aEdgeFirst, m_aEdgeEnds;
    void CollectEdgeTable(bool constrain);
    Contraction m_contraction;               // scratch
    void ContractPair(const DecimPair& pair);
    // The pair's target and cost from its ends now.
    PairChoice ChoosePair(const DecimPair& pair) const;

    // Cache hints: each requests what a later step reads, early enough for
    // it to load meanwhile. Each is forced inline and takes what its call
    // site has at hand, so that it adds no load, call or barrier; a guard
    // on the heap being empty stays at the call site, where the compiler
    // predicts it as before. The gain beside each is the time of
    // bench_decimate's decimation of its torus to 10 % without that hint
    // over the time with all of them: builds without one hint each,
    // alternated with the full build in one process for 70 rounds, the
    // median of the per-round ratios; "noise" where the gain is within the
    // spread of that median. All hints together save 34 %.
    // A vertex record's two lines, for the hints below.
    void PrefetchVertex(int v) const
    {
        const char* p = reinterpret_cast<const char*>(&m_pVertices[std::size_t(v)]);
        __builtin_prefetch(p);
        __builtin_prefetch(p + 64);
    }
    // The pair on top, most likely the next one popped: 5 %.
    [[gnu::always_inline]] static void PrefetchTopPair(const DecimPair* top) { __builtin_prefetch(top); }
    // The lists the next contraction starts with: 3 % (noise 4 %).
    [[gnu::always_inline]] void PrefetchTopLists(const DecimPair* top) const
    {
        const DecimVertex& a = m_pVertices[std::size_t(top->first)];
        const DecimVertex& b = m_pVertices[std::size_t(top->second)];
        __builtin_prefetch(m_faceLists.View(a.faces).data());
        __builtin_prefetch(m_faceLists.View(b.faces).data());
        __builtin_prefetch(m_pairLists.View(a.pairs).data());
        __builtin_prefetch(m_pairLists.View(b.pairs).data());
    }
    // The next contraction's vertices, while this one finishes: 2 % (noise 2 %).
    [[gnu::always_inline]] void PrefetchTopVertices(const DecimPair* top) const
    {
        PrefetchVertex(top->first);
        PrefetchVertex(top->second);
    }
    // The faces the marks and the split read: 11 % with PrefetchPairsOf.
    [[gnu::always_inline]] void PrefetchFacesOf(const DecimVertex& v) const
    {
        for (int f : m_faceLists.View(v.faces))
            __builtin_prefetch(&m_pFaces[std::size_t(f)]);
    }
    // The pairs the merge reads, and their heap positions: 8 % of those 11 %.
    [[gnu::always_inline]] void PrefetchPairsOf(const DecimVertex& v) const
    {
        for (std::int32_t id : m_pairLists.View(v.pairs)) {
            __builtin_prefetch(m_pHeap->PairAt(id));
            m_pHeap->PrefetchPositionOf(id);
        }
    }
    // The corners of a face of both ends, which lose it in ApplyContraction: 4 %.
    [[gnu::always_inline]] void PrefetchCorners(const DecimFace& face) const
    {
        for (int v : face.corners)
            PrefetchVertex(v);
    }
    // The lists of the shared faces' third corners, which lose a face and mostly a pair: 4 %.
    [[gnu::always_inline]] void PrefetchThirdCornerLists(const std::vector<std::int32_t>& shared, int k, int r) const
    {
        for (int f : shared)
            for (int v : m_pFaces[std::size_t(f)].corners)
                if (v != k && v != r) {
                    const DecimVertex& w = m_pVertices[std::size_t(v)];
                    __builtin_prefetch(m_faceLists.View(w.faces).data());
                    __builtin_prefetch(m_pairLists.View(w.pairs).data());
                }
    }
    // A pair's other end, read by the merge and the new costs, and its heap slot: 2 % (noise 2 %).
    [[gnu::always_inline]] void PrefetchOtherEnd(const CPairHeap& heap, std::int32_t id, int other) const
    {
        PrefetchVertex(other);
        heap.PrefetchSlotOf(id);
    }
    // The lists that lose their duplicate pairs after the new costs: 2 % (noise 3 %).
    [[gnu::always_inline]] void PrefetchDroppedLists() const
    {
        for (const auto& d : m_dropped)
            __builtin_prefetch(m_pairLists.View(m_pVertices[std::size_t(d.first)].pairs).data());
    }
};
