#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "VolumeFixtures.h"
#include "data/AppSettings.h"
#include "data/Histogram.h"
#include "data/Volume.h"

TEST(Histogram, ThresholdThenBuildOnTinyVolume)
{
    StatusRecorder status;
    CVolume vol(4, 1, 1, 8);
    vol.SetVoxel(3, 0, 0, 7);
    vol.m_pSettings->m_fMinAlpha = 0.05f; // cutoff 12
    vol.BuildHistogram();
    const CHistogram& h = vol.m_histogram;
    EXPECT_EQ(vol.GetVoxel(3, 0, 0), 0);
    EXPECT_EQ(h.m_counts[0], 4u);
    EXPECT_EQ(h.m_display[0], 255);
    for (int i = 1; i < 256; ++i)
        ASSERT_EQ(h.m_display[i], 0) << i;
    EXPECT_EQ(h.m_nMin, 0);
    EXPECT_EQ(h.m_nMax, 0);
    EXPECT_EQ(h.m_nTotal, 4);
    EXPECT_DOUBLE_EQ(h.m_probability[0], 1.0);
    EXPECT_DOUBLE_EQ(h.m_cumulative[255], 1.0);
    ASSERT_EQ(status.owner.statuses.size(), 2u);
    EXPECT_EQ(status.owner.statuses[0].text, "Building histogram ...");
    EXPECT_TRUE(status.owner.statuses[0].show);
    EXPECT_FALSE(status.owner.statuses[1].show);
}

TEST(Histogram, ThresholdCutoffs)
{
    struct Row {
        int bits;
        float fraction;
        std::uint16_t value;
        std::uint16_t after;
    };
    const Row rows[] = {
        {16, 0.05f, 3276, 0},   {16, 0.05f, 3277, 3277}, {8, 0.05f, 12, 0},   {8, 0.05f, 13, 13},
        {8, 0.0f, 1, 1},        {8, -3.0f, 1, 1},        {16, 2.0f, 65535, 0}, {16, 1e30f, 65535, 0},
        {16, std::nanf(""), 5, 5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.bits << " bits, fraction " << r.fraction << ", value " << r.value);
        CVolume vol(1, 1, 1, r.bits);
        vol.SetVoxel(0, 0, 0, r.value);
        vol.Threshold(r.fraction);
        EXPECT_EQ(vol.GetVoxel(0, 0, 0), r.after);
        EXPECT_EQ(vol.m_nLockCount, 0);
    }
}

TEST(Histogram, SixteenBitBinsMatchTheRoundingRuleForEveryValue)
{
    // Every 16-bit value once: each bin must count exactly the values that
    // trunc(v * (1/65536) * 255 + 0.5) puts there.
    CVolume vol(256, 256, 1, 16);
    for (int v = 0; v < 65536; ++v)
        vol.SetVoxel(v % 256, v / 256, 0, std::uint16_t(v));
    CHistogram h;
    ComputeHistogram(vol, h);
    std::uint32_t want[256] = {};
    for (int v = 0; v < 65536; ++v)
        ++want[int(std::trunc(v * (1.0 / 65536.0) * 255.0 + 0.5))];
    for (int b = 0; b < 256; ++b)
        ASSERT_EQ(h.m_counts[b], want[b]) << b;
    EXPECT_EQ(h.m_nMin, 0);
    EXPECT_EQ(h.m_nMax, 65535);
}

TEST(Histogram, NamedBinsAndRawExtremes)
{
    struct Row {
        std::uint16_t value;
        int bin;
    };
    const Row rows[] = {{65535, 255}, {128, 0}, {129, 1}, {0, 0}, {32768, 128}};
    for (const Row& r : rows) {
        CVolume vol(2, 1, 1, 16);
        vol.SetVoxel(0, 0, 0, r.value);
        vol.SetVoxel(1, 0, 0, r.value);
        CHistogram h;
        ComputeHistogram(vol, h);
        EXPECT_EQ(h.m_counts[r.bin], 2u) << r.value;
        EXPECT_EQ(h.m_nMin, r.value);
        EXPECT_EQ(h.m_nMax, r.value);
    }
}

TEST(Histogram, DisplayAgainstPeakOfOtherBins)
{
    struct Row {
        int zeros;
        std::uint8_t want;
    };
    const Row rows[] = {{10, 64}, {50, 255}, {40, 255}};
    for (const Row& r : rows) {
        CVolume vol(r.zeros + 40 + 20, 1, 1, 8);
        for (int i = 0; i < 40; ++i)
            vol.SetVoxel(r.zeros + i, 0, 0, 100);
        for (int i = 0; i < 20; ++i)
            vol.SetVoxel(r.zeros + 40 + i, 0, 0, 200);
        CHistogram h;
        ComputeHistogram(vol, h);
        EXPECT_EQ(h.m_display[0], r.want) << r.zeros;
        EXPECT_EQ(h.m_display[100], 255);
        EXPECT_EQ(h.m_display[200], 128); // trunc(20/40*255 + 0.5)
        EXPECT_DOUBLE_EQ(h.m_cumulative[255], 1.0);
    }
}

TEST(Histogram, VolumeWithoutVoxelsGivesAllZeroRecord)
{
    CVolume vol;
    CHistogram h;
    h.m_counts[3] = 9;
    h.m_display[0] = 1;
    ComputeHistogram(vol, h);
    const CHistogram zero;
    EXPECT_EQ(std::memcmp(h.m_counts, zero.m_counts, sizeof h.m_counts), 0);
    EXPECT_EQ(std::memcmp(h.m_display, zero.m_display, sizeof h.m_display), 0);
    EXPECT_EQ(h.m_nTotal, 0);
    EXPECT_EQ(h.m_cumulative[255], 0.0);
}

TEST(Histogram, LinearWindow)
{
    CHistogram h;
    std::uint8_t display[256] = {};
    display[100] = 3;
    display[200] = 9;
    std::uint8_t out[256];
    LinearWindowLUT(out, display, h);
    for (int j = 0; j <= 100; ++j)
        ASSERT_EQ(out[j], 0) << j;
    EXPECT_EQ(out[150], 127);
    // 255 at hi itself: in doubles 200 * (255 / 100) - 255 falls a hair
    // short and truncates to 254.
    for (int j = 200; j < 256; ++j)
        ASSERT_EQ(out[j], 255) << j;

    display[200] = 0;
    LinearWindowLUT(out, display, h);
    for (int j = 0; j < 256; ++j)
        ASSERT_EQ(out[j], 128) << j;

    // Null display: the record's own table, here only bin 255 occupied.
    h.m_display[255] = 1;
    LinearWindowLUT(out, nullptr, h);
    EXPECT_EQ(out[0], 128);
}

TEST(Histogram, EqualiseOfEvenSpreadIsNearIdentity)
{
    CVolume vol(256, 4, 1, 8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 256; ++x)
            vol.SetVoxel(x, y, 0, std::uint16_t(x));
    CHistogram h;
    ComputeHistogram(vol, h);
    std::uint8_t out[256];
    EqualiseLUT(out, h);
    for (int i = 0; i < 256; ++i)
        ASSERT_LE(std::abs(int(out[i]) - i), 2) << i;
    EXPECT_EQ(out[255], 255);
}
