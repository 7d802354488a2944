#pragma once
#include <cassert>
#include <cstdint>
#include <memory>

#include "platform/Memory.h"

class CVolume;
class CSliceImage;

// Marker-controlled watershed by immersion (Vincent and Soille's flooding,
// with every basin grown from a seed so that no new basins arise): cells are
// sorted by gradient level with a counting sort and each level is spread
// breadth-first with a queue and a distance counter. 3D works on a whole
// 8-bit volume with 26 neighbours, 2D on one slice image with 8.
class CWatershed {
public:
    static constexpr std::uint8_t kUnreached = 255;
    static constexpr std::uint8_t kObject = 60;
    static constexpr std::uint8_t kBackground = 174;
    static constexpr std::uint8_t kMask = 180;
    static constexpr std::uint8_t kDividing = 0;
    static constexpr std::uint8_t kLabelled = 175; // labels below count as labelled
    // Ends one distance step in the queue; never a cell index.
    static constexpr std::int32_t kFictitious = -1;

    // The stack cannot fill: it takes each cell at most once (per level in
    // the flood), and only interior cells are flooded. The queue holds two
    // distance steps of one level's front, each cell once, except at a step
    // where the one-byte distance wraps to 0: a cell queued there still
    // reads as unqueued, and each of its neighbours in the front may queue
    // it again. Real fronts stay far below the cell count that is its
    // capacity, but nothing bounds a crafted one, so a full queue fails the
    // flood instead of writing past the ring.
    struct Stack {
        LargeArray<std::int32_t> items;
        std::int32_t capacity = 0;
        std::int32_t count = 0;
        void Push(std::int32_t v)
        {
            assert(count < capacity);
            items[count++] = v;
        }
        std::int32_t Pop() { return items[--count]; }
    };
    struct Queue {
        LargeArray<std::int32_t> items;
        std::int32_t capacity = 0;
        std::int32_t count = 0;
        std::int32_t read = 0;
        std::int32_t write = 0;
        bool overflowed = false;
        void Push(std::int32_t v)
        {
            if (count == capacity) [[unlikely]] {
                overflowed = true;
                return;
            }
            items[write] = v;
            if (++write == capacity)
                write = 0;
            ++count;
        }
        std::int32_t Pop()
        {
            const std::int32_t v = items[read];
            if (++read == capacity)
                read = 0;
            --count;
            return v;
        }
    };

    CWatershed() = default;
    // Takes the volume and copies its dimensions.
    explicit CWatershed(CVolume* volume);
    ~CWatershed();
    CWatershed(const CWatershed&) = delete;
    CWatershed& operator=(const CWatershed&) = delete;

    // Segments the locked 8-bit volume and writes the result into it: the
    // object becomes 127 (or keeps its values), the rest 0; invert swaps the
    // sides. False, with the volume untouched, when the flood fails or the
    // volume has no interior.
    bool Segment3D(bool invert, bool keepValues);
    // Segments one slice of the volume, perpendicular to `axis` at `slice`;
    // the labels stay in the image, which then gets its contours.
    bool Segment2D(CSliceImage* image, int axis, int slice);
    // False when the seeds give no object seed or no background seed, or
    // when the flood's queue overflowed.
    bool Flood();

    bool PlaceSeeds();
    bool SetSeed(std::uint8_t label, int x, int y, int z);
    void AllocateWork();
    void InitNeighbours();
    void MarkBorder();
    void ComputeGradient();
    std::uint8_t GradientAt(int cell) const;
    void SortLevels();
    void CountLevels();
    void ResolveDividingLines();
    void FreeWork();

    CVolume* m_pVolume = nullptr;
    CSliceImage* m_pImage = nullptr;
    int m_nDimX = 0, m_nDimY = 0, m_nDimZ = 0;
    int m_nWidth = 0, m_nHeight = 0, m_nDepth = 0;
    int m_nPlaneSize = 0;
    bool m_b3D = false;
    int m_nAxis = 0;
    int m_nSlice = 0;
    int m_nStartX = 0, m_nStartY = 0, m_nStartZ = 0;
    int m_nEndX = 0, m_nEndY = 0, m_nEndZ = 0;
    std::uint32_t m_nCount = 0;
    const std::uint8_t* m_pSource = nullptr;
    std::uint8_t* m_pLabels = nullptr;   // owned in 3D (m_pOwnedLabels), the image's in 2D
    std::uint8_t* m_pGradient = nullptr; // owned in 3D (m_pOwnedGradient), the image's in 2D
    // Per cell: the label in the low byte and the flood distance within the
    // current level in the high byte (0 when the cell is not queued).
    LargeArray<std::uint16_t> m_pCells;
    LargeArray<std::int32_t> m_pSorted;
    std::int32_t m_anLevelStart[256] = {};
    Stack m_pStack;
    Queue m_pQueue;
    int m_nMinLevel = 0;
    int m_nMaxLevel = 0;
    std::int32_t m_anOffset[26] = {};
    int m_nNeighbours = 0;

private:
    template <int N>
    void FloodLevels();
    std::int32_t InteriorCount() const;

    LargeArray<std::uint8_t> m_pOwnedLabels;
    LargeArray<std::uint8_t> m_pOwnedGradient;
};
