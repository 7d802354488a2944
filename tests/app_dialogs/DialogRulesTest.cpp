// The arithmetic of the import and review dialogs, without a display.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/dialogs/DcmDialog.h"
#include "app/dialogs/RawDialog.h"
#include "app/dialogs/RgbDialog.h"
#include "data/DicomLoader.h"
#include "data/DicomTestImages.h"
#include "support/TempDir.h"

// The size a raw layout implies: whole bytes per voxel, then the header;
// the largest layout is exact beyond 32 bits.
TEST(RawDialogRules, ExpectedSizeOfALayout)
{
    struct Case {
        std::int32_t x, y, z, bits, offset;
        std::uint64_t size;
    };
    const Case cases[] = {
        {128, 128, 128, 8, 0, 2097152},
        {256, 256, 100, 16, 512, 256ull * 256 * 100 * 2 + 512},
        {512, 512, 512, 16, std::numeric_limits<std::int32_t>::max(), 268435456ull + 2147483647ull},
        {1, 1, 1, 12, 0, 1},
        {3, 1, 1, 7, 5, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CRawDialog::ExpectedSize(c.x, c.y, c.z, c.bits, c.offset), c.size)
            << c.x << "x" << c.y << "x" << c.z << " at " << c.bits << " + " << c.offset;
}

// The bits spin never takes the control's own step: it only toggles.
TEST(RawDialogRules, BitsToggleBetween8And16)
{
    struct Case {
        int position, delta, next;
    };
    const Case cases[] = {{8, 1, 16}, {16, -1, 8}, {8, -1, 8}, {16, 1, 16}, {12, 1, 12}, {12, -1, 12}};
    for (const Case& c : cases)
        EXPECT_EQ(CRawDialog::ToggleBits(c.position, c.delta), c.next) << c.position << " " << c.delta;
}

// The folder becomes the loaders' pattern with one separator in it.
TEST(RgbDialogRules, SearchPatternFromTheFolder)
{
    struct Case {
        const char* folder;
        const char* pattern;
    };
    const Case cases[] = {
        {"/data/slices", "/data/slices/*.*"},
        {"/data/slices/", "/data/slices/*.*"},
        {"/", "/*.*"},
        {"", "*.*"},
        {"slices", "slices/*.*"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CRgbDialog::SearchPattern(c.folder), c.pattern) << c.folder;
}

namespace {
std::unique_ptr<DicomImage> Preview(const TempDir& dir, const std::string& name, const ImageSpec& spec)
{
    const std::string path = dir.File(name);
    WriteImage(path, spec);
    auto preview = CDicomLoader::CreatePreview(path, CDcmDialog::kPreviewSize);
    EXPECT_NE(preview, nullptr) << name;
    return preview;
}
} // namespace

// The review dialog opens with the file's first stored window, or with the
// full range of the preview's values when the file stores none; equal
// pixels give width 1. With no preview image it opens on 0 and 1.
TEST(DcmDialogRules, OpeningWindowFromStoredAndAbsentValues)
{
    TempDir dir;
    ImageSpec stored;
    stored.centre = "300";
    stored.width = "200";
    auto withWindow = Preview(dir, "stored.dcm", stored);
    ASSERT_NE(withWindow, nullptr);
    const CDcmDialog::OpeningWindow a = CDcmDialog::FindOpeningWindow(withWindow.get());
    EXPECT_EQ(a.centre, 300.0);
    EXPECT_EQ(a.width, 200.0);
    // Pixels run from 100 to 100 + 63 * 10; scaling up keeps them inside.
    EXPECT_GE(a.min, 100.0);
    EXPECT_LE(a.max, 730.0);
    EXPECT_GT(a.max - a.min, 500.0);

    auto without = Preview(dir, "absent.dcm", ImageSpec{});
    ASSERT_NE(without, nullptr);
    const CDcmDialog::OpeningWindow b = CDcmDialog::FindOpeningWindow(without.get());
    EXPECT_NEAR(b.width, b.max - b.min, 1.0);
    EXPECT_NEAR(b.centre, (b.max + b.min) / 2, 1.0);
    EXPECT_GT(b.width, 500.0);

    ImageSpec flat;
    flat.slope = 0;
    auto equal = Preview(dir, "flat.dcm", flat);
    ASSERT_NE(equal, nullptr);
    const CDcmDialog::OpeningWindow c = CDcmDialog::FindOpeningWindow(equal.get());
    EXPECT_EQ(c.min, 100.0);
    EXPECT_EQ(c.max, 100.0);
    EXPECT_EQ(c.width, 1.0);

    const CDcmDialog::OpeningWindow none = CDcmDialog::FindOpeningWindow(nullptr);
    EXPECT_EQ(none.centre, 0.0);
    EXPECT_EQ(none.width, 1.0);
}

// The preview comes out top row first, grey, and follows the window: the
// file's values grow downwards, so its top is darker than its bottom; a
// window above every value shows black, one below shows white.
TEST(DcmDialogRules, PreviewRowsAndWindow)
{
    TempDir dir;
    auto preview = Preview(dir, "ramp.dcm", ImageSpec{});
    ASSERT_NE(preview, nullptr);
    const int n = CDcmDialog::kPreviewSize;
    const CDcmDialog::OpeningWindow w = CDcmDialog::FindOpeningWindow(preview.get());

    std::vector<std::uint8_t> rgb = CDcmDialog::RenderPreview(*preview, int(w.centre), int(w.width));
    ASSERT_EQ(rgb.size(), std::size_t(n * n * 3));
    auto at = [&](int x, int y, int c) { return int(rgb[(std::size_t(y) * n + x) * 3 + c]); };
    EXPECT_LT(at(n / 2, 0, 0) + 100, at(n / 2, n - 1, 0)) << "top row first";
    for (int y : {0, n / 2, n - 1})
        EXPECT_TRUE(at(5, y, 0) == at(5, y, 1) && at(5, y, 1) == at(5, y, 2)) << "grey at row " << y;

    struct Case {
        int level, width, value;
    };
    const Case cases[] = {{5000, 10, 0}, {-5000, 10, 255}};
    for (const Case& c : cases) {
        rgb = CDcmDialog::RenderPreview(*preview, c.level, c.width);
        ASSERT_EQ(rgb.size(), std::size_t(n * n * 3));
        for (std::size_t i = 0; i < rgb.size(); i += 997)
            ASSERT_EQ(int(rgb[i]), c.value) << "level " << c.level << " byte " << i;
    }
}
