#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "processing/ActiveContour.h"
#include "processing/RSnake.h"
#include "processing/SliceImage.h"

namespace {

using Points = std::vector<std::pair<float, float>>;

static_assert(std::has_virtual_destructor_v<CSnake>, "contours are deleted through CSnake");

Points PointsOf(CSnake& s)
{
    Points out;
    CSnakeNode* n = s.m_pHead;
    for (int i = 0; i < s.m_nCount; ++i, n = n->m_pNext) {
        const float* p = n->GetPosition();
        out.emplace_back(p[0], p[1]);
    }
    return out;
}

// Checks the ring: count nodes both ways and the head/tail links.
void ExpectRing(CSnake& s)
{
    if (s.m_nCount == 0) {
        EXPECT_EQ(s.m_pHead, nullptr);
        EXPECT_EQ(s.m_pTail, nullptr);
        return;
    }
    EXPECT_EQ(s.m_pHead->m_pPrev, s.m_pTail);
    EXPECT_EQ(s.m_pTail->m_pNext, s.m_pHead);
    CSnakeNode* n = s.m_pHead;
    for (int i = 0; i < s.m_nCount; ++i) {
        EXPECT_EQ(n->m_pNext->m_pPrev, n);
        n = n->m_pNext;
    }
    EXPECT_EQ(n, s.m_pHead);
}

struct Contour {
    explicit Contour(const Points& pts, float length = 10.0f, int w = 100, int h = 100)
        : image(std::vector<std::uint8_t>(std::size_t(w * h), 0).data(), w, h), snake(&image, w, h)
    {
        snake.m_contour.m_fSegmentLength = length;
        for (auto [x, y] : pts)
            snake.AddPoint(x, y);
    }
    CContourNode* Node(int i)
    {
        CSnakeNode* n = snake.m_pHead;
        while (i-- > 0)
            n = n->m_pNext;
        return static_cast<CContourNode*>(n);
    }
    CSliceImage image;
    CActiveContour snake;
};

TEST(CActiveContour, InsertAndRemoveKeepTheRing)
{
    Contour c({});
    CContourNode* a = c.snake.InsertAfter(nullptr, 1, 1);
    EXPECT_EQ(c.snake.m_pHead, a);
    EXPECT_EQ(c.snake.m_pTail, a);
    CContourNode* b = c.snake.InsertAfter(a, 2, 2); // after the tail: new tail
    EXPECT_EQ(c.snake.m_pTail, b);
    CContourNode* m = c.snake.InsertAfter(a, 3, 3); // in the middle
    EXPECT_EQ(PointsOf(c.snake), (Points{{1, 1}, {3, 3}, {2, 2}}));
    c.snake.InsertAfter(nullptr, 4, 4); // null appends
    EXPECT_EQ(c.snake.m_nCount, 4);
    ExpectRing(c.snake);

    c.snake.RemoveNode(a); // head moves on
    EXPECT_EQ(c.snake.m_pHead, m);
    c.snake.RemoveNode(static_cast<CContourNode*>(c.snake.m_pTail)); // tail moves back
    EXPECT_EQ(c.snake.m_pTail, b);
    EXPECT_EQ(PointsOf(c.snake), (Points{{3, 3}, {2, 2}}));
    ExpectRing(c.snake);
    c.snake.RemoveNode(m);
    EXPECT_EQ(c.snake.m_nCount, 1);
    ExpectRing(c.snake);
    c.snake.RemoveNode(b); // the last node clears
    EXPECT_EQ(c.snake.m_nCount, 0);
    ExpectRing(c.snake);
}

TEST(CActiveContour, ResampleMergesAndSplits)
{
    struct Case {
        const char* what;
        Points in;
        Points want;
    };
    const Case cases[] = {
        {"close pair merges at the midpoint; long gaps split, the closing gap once",
         {{0, 0}, {2, 0}, {20, 0}, {20, 20}, {0, 20}},
         {{1, 0}, {10.5f, 0}, {20, 0}, {20, 10}, {20, 20}, {10, 20}, {0, 20}, {0.5f, 10}}},
        {"a gap of four lengths is halved down to pieces of one length",
         {{0, 0}, {40, 0}, {40, 5}, {0, 5}},
         {{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}, {40, 5}, {30, 5}, {20, 5}, {10, 5}, {0, 5}}},
        {"the closing pair merges into the tail, removing the head",
         {{1, 0}, {12, 0}, {12, 9}, {0, 0}},
         {{12, 0}, {12, 9}, {0.5f, 0}}},
        {"two nodes: the first moves, none is removed", {{0, 0}, {1, 0}}, {{0.5f, 0}, {1, 0}}},
        {"one node stays", {{3, 4}}, {{3, 4}}},
        {"nothing happens to an empty contour", {}, {}},
    };
    for (const Case& c : cases) {
        Contour k(c.in);
        k.snake.Resample();
        EXPECT_EQ(PointsOf(k.snake), c.want) << c.what;
        ExpectRing(k.snake);
    }
}

TEST(CActiveContour, ResampleAveragesVelocities)
{
    Contour c({{0, 0}, {2, 0}, {20, 0}, {20, 9}});
    c.Node(0)->m_afVelocity[0] = 2;
    c.Node(1)->m_afVelocity[0] = 4;
    c.Node(2)->m_afVelocity[1] = 6;
    c.snake.Resample();
    // Merged node: mean of 2 and 4; new midpoint of (1, 0)-(20, 0): mean of 3 and 0.
    EXPECT_EQ(PointsOf(c.snake), (Points{{1, 0}, {10.5f, 0}, {20, 0}, {20, 9}, {10.5f, 4.5f}}));
    EXPECT_FLOAT_EQ(c.Node(0)->m_afVelocity[0], 3);
    EXPECT_FLOAT_EQ(c.Node(1)->m_afVelocity[0], 1.5f);
    EXPECT_FLOAT_EQ(c.Node(1)->m_afVelocity[1], 3);
}

TEST(CActiveContour, NoResampleWithoutAPositiveLength)
{
    const Points pts = {{0, 0}, {0.1f, 0}, {50, 0}, {50, 50}};
    for (float len : {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN()}) {
        Contour c(pts, len);
        c.snake.Resample();
        EXPECT_EQ(PointsOf(c.snake), pts) << len;
    }
}

TEST(CActiveContour, StepClampsToTheImage)
{
    // Square of side 6 in a 10 x 10 image; length 6 keeps every node.
    Contour c({{2, 2}, {2, 8}, {8, 8}, {8, 2}}, 6.0f, 10, 10);
    c.Node(0)->m_afVelocity[0] = -1e6f; // pushed out to the left
    c.Node(0)->m_afVelocity[1] = 1.0f;
    c.Node(2)->m_afVelocity[0] = 1e6f;  // and to the right
    c.Node(2)->m_afVelocity[1] = 1e6f;  // and down
    c.snake.Step();
    EXPECT_EQ(c.snake.m_nCount, 4);
    EXPECT_FLOAT_EQ(c.Node(0)->m_afPosition[0], 0);
    EXPECT_FLOAT_EQ(c.Node(0)->m_afVelocity[0], 0);
    EXPECT_FLOAT_EQ(c.Node(2)->m_afPosition[0], 8);
    EXPECT_FLOAT_EQ(c.Node(2)->m_afPosition[1], 8);
    EXPECT_FLOAT_EQ(c.Node(2)->m_afVelocity[0], 0);
    EXPECT_FLOAT_EQ(c.Node(2)->m_afVelocity[1], 0);
    // The other axis moves on, damped: 1 + (-1 * 1) / 1 * 0.005.
    EXPECT_FLOAT_EQ(c.Node(0)->m_afPosition[1], 2.005f);
    EXPECT_FLOAT_EQ(c.Node(0)->m_afVelocity[1], 0.995f);
}

TEST(CActiveContour, EnergyCellClampedOnTheLastColumnAndRow)
{
    // Traced points may lie on the last column and row; their 2 x 2 cell is
    // the last one inside the image. Energy 200 only at (3, 3).
    Contour c({{0, 0}, {3, 0}, {3, 3}, {0, 3}}, 4.0f, 4, 4);
    c.image.m_pEnergy = std::make_unique<std::uint8_t[]>(16);
    c.image.m_pEnergy[3 * 4 + 3] = 200;
    c.snake.Step();
    // Node (3, 3): normal (1, 1)/sqrt 2, a = 200, b = 0: D = -100 sqrt 2.
    EXPECT_NEAR(c.Node(2)->m_afImageForce[0], -100.0f, 1e-3);
    EXPECT_NEAR(c.Node(2)->m_afImageForce[1], -100.0f, 1e-3);
    for (int i : {0, 1, 3}) {
        EXPECT_FLOAT_EQ(c.Node(i)->m_afImageForce[0], 0) << i;
        EXPECT_FLOAT_EQ(c.Node(i)->m_afImageForce[1], 0) << i;
    }
}

TEST(CActiveContour, DegenerateInputsStayFiniteAndInside)
{
    struct Case {
        const char* what;
        int w, h;
        float mass;
    };
    const Case cases[] = {
        {"zero point mass", 20, 20, 0.0f},
        {"image one pixel wide", 1, 20, 1.0f},
        {"image one pixel high", 20, 1, 1.0f},
    };
    for (const Case& k : cases) {
        Contour c({{1, 1}, {1, 9}, {9, 9}, {9, 1}}, 6.0f, k.w, k.h);
        c.snake.m_contour.m_fPointMass = k.mass;
        for (int i = 0; i < 3; ++i)
            c.snake.Step();
        const float hiX = float(std::max(0, k.w - 2));
        const float hiY = float(std::max(0, k.h - 2));
        CSnakeNode* n = c.snake.m_pHead;
        for (int i = 0; i < c.snake.m_nCount; ++i, n = n->m_pNext) {
            auto* cn = static_cast<CContourNode*>(n);
            EXPECT_TRUE(std::isfinite(cn->m_afPosition[0]) && std::isfinite(cn->m_afPosition[1])) << k.what;
            EXPECT_GE(cn->m_afPosition[0], 0) << k.what;
            EXPECT_LE(cn->m_afPosition[0], hiX) << k.what;
            EXPECT_GE(cn->m_afPosition[1], 0) << k.what;
            EXPECT_LE(cn->m_afPosition[1], hiY) << k.what;
            EXPECT_TRUE(std::isfinite(cn->m_afVelocity[0]) && std::isfinite(cn->m_afVelocity[1])) << k.what;
        }
    }
}

TEST(CActiveContour, FewerThanThreeNodesDoNotMove)
{
    Contour c({{5, 5}, {17, 5}});
    c.Node(0)->m_afVelocity[0] = 100;
    c.snake.Step();
    EXPECT_EQ(PointsOf(c.snake), (Points{{5, 5}, {17, 5}}));
    EXPECT_FLOAT_EQ(c.Node(0)->m_afVelocity[0], 100);
}

TEST(CSnake, CentroidAndDeletionThroughTheBase)
{
    float mx = 1, my = 1;
    Contour empty({});
    empty.snake.GetCentroid(my, mx);
    EXPECT_EQ(mx, 0);
    EXPECT_EQ(my, 0);

    Contour c({{0, 0}, {4, 0}, {4, 2}});
    c.snake.GetCentroid(my, mx);
    EXPECT_FLOAT_EQ(mx, 8.0f / 3.0f);
    EXPECT_FLOAT_EQ(my, 2.0f / 3.0f);

    std::vector<std::uint8_t> px(16, 0);
    CSliceImage img(px.data(), 4, 4);
    std::unique_ptr<CSnake> s = std::make_unique<CRSnake>(&img, 4, 4);
    s->AddPoint(1, 1);
    s->GetCentroid(my, mx);
    EXPECT_FLOAT_EQ(mx, 1.5f);
    EXPECT_FLOAT_EQ(my, 2.0f);
    s.reset(); // the nodes go with it (leak checker in the sanitizer build)
}

TEST(CRSnake, StepKeepsNodesInsideTheBox)
{
    const int w = 6, h = 5;
    std::vector<std::uint8_t> px(w * h);
    for (int i = 0; i < w * h; ++i)
        px[i] = std::uint8_t(i * 37);
    CSliceImage img(px.data(), w, h);
    CRSnake s(&img, w, h);
    // Pixels on the last column and row put their nodes outside the box.
    s.AddPoint(5, 4);
    s.AddPoint(0, 0);
    s.AddPoint(3.7f, 2.2f);
    EXPECT_EQ(PointsOf(s), (Points{{5.5f, 5}, {0.5f, 1}, {3.5f, 3}}));
    for (int i = 0; i < 20; ++i) {
        s.Step();
        for (auto [x, y] : PointsOf(s)) {
            EXPECT_GE(x, 0);
            EXPECT_LE(x, w - 2);
            EXPECT_GE(y, 0);
            EXPECT_LE(y, h - 2);
        }
    }
}

} // namespace
