#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "app/logic/XfrEditor.h"
#include "data/Volume.h"
#include "render/MeshRenderer.h"
#include "support/TempDir.h"

using xfr::GraphPoint;
using xfr::Rgb;
using Points = std::vector<TfPoint>;
using Preset = CXfrEditor::Preset;

namespace {
// The editor on a renderer made for a small volume, as the view gives it.
struct EditorFixture {
    explicit EditorFixture(bool autoUpdate = true)
    {
        renderer.m_bAutoUpdate = autoUpdate;
        for (int i = 0; i < 256; ++i)
            volume.m_histogram.m_counts[i] = 1000u + unsigned(i);
        editor.Init();
    }
    int Entry(int channel, int i) const { return (*renderer.m_pRgbaTable)[4 * i + channel]; }
    std::vector<int> Column(int channel) const
    {
        std::vector<int> c;
        for (int i = 0; i < 256; ++i)
            c.push_back(Entry(channel, i));
        return c;
    }
    // Mouse at the client pixel of graph value (x, y).
    bool Down(int x, int y)
    {
        const GraphPoint p = xfr::GraphToClient(x, y);
        return editor.LeftDown(p.x, p.y);
    }
    bool Move(int x, int y)
    {
        const GraphPoint p = xfr::GraphToClient(x, y);
        return editor.MouseMove(p.x, p.y);
    }
    const Points& Current() const { return tf.m_aPoints[tf.m_nCurrent]; }

    CVolume volume{4, 4, 4, 8};
    CMeshRenderer renderer{&volume, nullptr, 10, 10};
    CTransferFunction& tf = *renderer.m_pTransferFunction;
    CXfrEditor editor{&renderer, &volume};
};

const Points kRamp = {{0, 0}, {127, 127}, {255, 255}};
} // namespace

// The start: alpha, not linked, splines, the alpha column rebuilt as a
// spline whatever it was; Auto-update and Apply as the renderer allows.
TEST(CXfrEditor, InitStartsOnAlphaAndFollowsTheRenderersAutoUpdate)
{
    struct Case {
        bool rendererAuto;
        bool autoUpdate, applyEnabled, autoEnabled;
    };
    for (Case c : {Case{true, true, false, true}, Case{false, false, true, false}}) {
        SCOPED_TRACE(c.rendererAuto);
        EditorFixture f(c.rendererAuto);
        EXPECT_EQ(f.editor.m_bAutoUpdate, c.autoUpdate);
        EXPECT_EQ(f.editor.m_bApplyEnabled, c.applyEnabled);
        EXPECT_EQ(f.editor.m_bAutoUpdateEnabled, c.autoEnabled);
        EXPECT_EQ(f.editor.m_nMode, CXfrEditor::kAlpha);
        EXPECT_TRUE(f.editor.m_bSplines);
        EXPECT_FALSE(f.editor.m_bDeleteEnabled);
        EXPECT_EQ(f.editor.m_nSelected, kNoPoint);
    }

    EditorFixture f;
    f.tf.m_nCurrent = CTransferFunction::kAlpha;
    f.tf.m_bLinked = true;
    f.tf.m_bSpline = 0;
    f.tf.m_aPoints[3] = {{0, 0}, {60, 200}, {255, 255}};
    f.tf.BuildChannel(3, true);
    const std::vector<int> linear = f.Column(3);
    f.editor.Init();
    EXPECT_EQ(f.tf.m_nCurrent, CTransferFunction::kAlpha);
    EXPECT_FALSE(f.tf.m_bLinked);
    EXPECT_EQ(f.tf.m_bSpline, 1);

    EditorFixture spline;
    spline.tf.m_aPoints[3] = f.tf.m_aPoints[3];
    spline.tf.BuildChannel(3, true);
    EXPECT_EQ(f.Column(3), spline.Column(3));
    EXPECT_NE(f.Column(3), linear);
}

// Clicks on the graph: an empty place adds a marker and starts a drag; a
// marker within 5 is selected, not doubled; an existing x elsewhere is
// refused and clears the selection; the first and last markers can be
// selected but not deleted; clicks off the square do nothing at all.
TEST(CXfrEditor, ClicksAddSelectOrRefuseMarkers)
{
    EditorFixture f;
    struct Case {
        int px, py; // client pixel
        bool changed;
        Points points;
        TfPosition selected;
        bool deletable;
        const char* why;
    };
    const Case cases[] = {
        {10 + 60, 266 - 30, true, {{0, 0}, {60, 30}, {127, 127}, {255, 255}}, 1, true, "adds at (60, 30)"},
        {10 + 62, 266 - 33, true, {{0, 0}, {60, 30}, {127, 127}, {255, 255}}, 1, true, "within 5 selects it"},
        {10 + 127, 266 - 10, true, {{0, 0}, {60, 30}, {127, 127}, {255, 255}}, kNoPoint, false, "x taken: refused"},
        {10 + 0, 266 - 2, true, {{0, 0}, {60, 30}, {127, 127}, {255, 255}}, 0, false, "the first marker"},
        {10 + 255, 266 - 252, true, {{0, 0}, {60, 30}, {127, 127}, {255, 255}}, 3, false, "the last marker"},
        {10 + 200, 10, true, {{0, 0}, {60, 30}, {127, 127}, {200, 255}, {255, 255}}, 3, true, "top row: 255"},
        {9, 100, false, {{0, 0}, {60, 30}, {127, 127}, {200, 255}, {255, 255}}, 3, true, "left of the square"},
        {266, 100, false, {{0, 0}, {60, 30}, {127, 127}, {200, 255}, {255, 255}}, 3, true, "right edge"},
        {100, 266, false, {{0, 0}, {60, 30}, {127, 127}, {200, 255}, {255, 255}}, 3, true, "bottom edge"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(f.editor.LeftDown(c.px, c.py), c.changed) << c.why;
        EXPECT_EQ(f.Current(), c.points) << c.why;
        EXPECT_EQ(f.editor.m_nSelected, c.selected) << c.why;
        EXPECT_EQ(f.editor.m_bDeleteEnabled, c.deletable) << c.why;
        EXPECT_EQ(f.editor.m_bDragging, c.changed && c.selected != kNoPoint) << c.why;
        f.editor.LeftUp();
        EXPECT_FALSE(f.editor.m_bDragging) << c.why;
    }
    // Only the alpha channel was edited, and its column follows the marker.
    EXPECT_EQ(f.tf.m_aPoints[0], kRamp);
    EXPECT_EQ(f.Entry(3, 60), 30);
}

// A drag moves the marker and its column; past the square it is clamped
// between its neighbours and into 0..255; the first marker moves only
// vertically. The status text shows the clamped input, the column's entry
// and the histogram count; off the square without a drag it is empty.
TEST(CXfrEditor, DragsClampAndTheStatusFollows)
{
    EditorFixture f;
    ASSERT_TRUE(f.Down(127, 127));
    ASSERT_TRUE(f.editor.m_bDragging);
    EXPECT_TRUE(f.Move(100, 180));
    EXPECT_EQ(f.Current(), (Points{{0, 0}, {100, 180}, {255, 255}}));
    EXPECT_EQ(f.Entry(3, 100), 180);
    EXPECT_EQ(f.editor.m_strStatus, "Input = 100, Output = 180, Count = 1100");

    EXPECT_TRUE(f.editor.MouseMove(600, 400)); // right of and below the square
    EXPECT_EQ(f.Current(), (Points{{0, 0}, {254, 0}, {255, 255}}));
    EXPECT_EQ(f.editor.m_strStatus, "Input = 254, Output = " + std::to_string(f.Entry(3, 254)) + ", Count = 1254");
    EXPECT_TRUE(f.editor.MouseMove(-50, -50));
    EXPECT_EQ(f.Current(), (Points{{0, 0}, {1, 255}, {255, 255}}));
    f.editor.LeftUp();

    EXPECT_FALSE(f.editor.MouseMove(600, 400));
    EXPECT_EQ(f.editor.m_strStatus, "");
    EXPECT_FALSE(f.Move(30, 40)); // hovering changes nothing but the text
    EXPECT_EQ(f.editor.m_strStatus,
              "Input = 30, Output = " + std::to_string(f.Entry(3, 30)) + ", Count = 1030");

    ASSERT_TRUE(f.Down(0, 2));
    EXPECT_EQ(f.editor.m_nSelected, 0);
    f.Move(40, 90);
    EXPECT_EQ(f.Current().front(), (TfPoint{0, 90}));
    EXPECT_EQ(f.Entry(3, 0), 90);
}

// Delete removes the selected middle marker and rebuilds the column; with
// the first or last marker selected, or none, it removes nothing; the
// button is disabled afterwards either way.
TEST(CXfrEditor, DeleteRemovesOnlyAMiddleMarker)
{
    EditorFixture f;
    f.tf.m_aPoints[3] = {{0, 0}, {50, 250}, {255, 255}};
    f.Down(50, 250);
    ASSERT_TRUE(f.editor.m_bDeleteEnabled);
    f.editor.LeftUp();
    f.editor.DeleteMarker();
    EXPECT_EQ(f.Current(), (Points{{0, 0}, {255, 255}}));
    EXPECT_EQ(f.Column(3)[50], 50); // a straight spline through the two ends
    EXPECT_EQ(f.editor.m_nSelected, kNoPoint);
    EXPECT_FALSE(f.editor.m_bDeleteEnabled);

    for (auto [x, y] : {std::pair{0, 0}, std::pair{255, 255}}) {
        f.Down(x, y);
        f.editor.LeftUp();
        f.editor.DeleteMarker();
        EXPECT_EQ(f.Current(), (Points{{0, 0}, {255, 255}})) << x;
    }
    f.editor.DeleteMarker();
    EXPECT_EQ(f.Current(), (Points{{0, 0}, {255, 255}}));
}

// Every operation that replaces the current list leaves no marker
// selected and Delete disabled, so a Delete afterwards cannot take a point
// of the new list. The spline choice keeps the list and the selection.
TEST(CXfrEditor, SelectionIsClearedWhenTheListIsReplaced)
{
    TempDir dir;
    const std::string saved = dir.File("ramp.tfn");
    {
        EditorFixture f;
        ASSERT_TRUE(f.editor.Save(saved));
    }
    struct Case {
        const char* name;
        std::function<void(CXfrEditor&)> op;
    };
    const Case cases[] = {
        {"Reset current", [](CXfrEditor& e) { e.ApplyPreset(Preset::kResetCurrent); }},
        {"Reset all", [](CXfrEditor& e) { e.ApplyPreset(Preset::kResetAll); }},
        {"Stretch", [](CXfrEditor& e) { e.ApplyPreset(Preset::kStretch); }},
        {"Equalise", [](CXfrEditor& e) { e.ApplyPreset(Preset::kEqualise); }},
        {"Negative", [](CXfrEditor& e) { e.ApplyPreset(Preset::kNegative); }},
        {"Load", [&](CXfrEditor& e) { EXPECT_TRUE(e.Load(saved)); }},
        {"another channel", [](CXfrEditor& e) { e.SelectChannel(CXfrEditor::kRed); }},
        {"intensity", [](CXfrEditor& e) { e.SelectChannel(CXfrEditor::kIntensity); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditorFixture f;
        f.volume.m_histogram.m_display[40] = 9;
        f.volume.m_histogram.m_display[90] = 3;
        for (int x : {20, 40, 60, 80, 100})
            f.Down(x, 10);
        f.editor.LeftUp();
        ASSERT_EQ(f.editor.m_nSelected, 5);
        ASSERT_TRUE(f.editor.m_bDeleteEnabled);
        c.op(f.editor);
        EXPECT_EQ(f.editor.m_nSelected, kNoPoint);
        EXPECT_FALSE(f.editor.m_bDeleteEnabled);
        const Points after = f.Current();
        f.editor.DeleteMarker();
        EXPECT_EQ(f.Current(), after);
    }

    EditorFixture f;
    f.Down(60, 30);
    f.editor.LeftUp();
    f.editor.SetSplines(false);
    EXPECT_EQ(f.editor.m_nSelected, 1);
    EXPECT_TRUE(f.editor.m_bDeleteEnabled);
    EXPECT_EQ(f.tf.m_bSpline, 0);
    EXPECT_EQ(f.Entry(3, 30), 15); // straight from (0, 0) to (60, 30)
}

// Intensity edits red and copies it to green and blue, points and columns;
// a drag there moves all three; another channel ends the link. The spline
// choice reaches the channel being left when the radio changes.
TEST(CXfrEditor, IntensityLinksTheColourChannels)
{
    EditorFixture f;
    f.tf.m_aPoints[0] = {{0, 0}, {100, 50}, {255, 255}};
    f.editor.SetSplines(false); // alpha rebuilt straight
    f.editor.SelectChannel(CXfrEditor::kIntensity);
    EXPECT_EQ(f.tf.m_nCurrent, CTransferFunction::kRed);
    EXPECT_TRUE(f.tf.m_bLinked);
    EXPECT_EQ(f.tf.m_bSpline, 0);
    EXPECT_EQ(f.tf.m_aPoints[1], f.tf.m_aPoints[0]);
    EXPECT_EQ(f.tf.m_aPoints[2], f.tf.m_aPoints[0]);
    EXPECT_EQ(f.Column(1), f.Column(0));

    f.Down(100, 50);
    f.Move(100, 200);
    f.editor.LeftUp();
    EXPECT_EQ(f.tf.m_aPoints[0], (Points{{0, 0}, {100, 200}, {255, 255}}));
    EXPECT_EQ(f.tf.m_aPoints[2], f.tf.m_aPoints[0]);
    EXPECT_EQ(f.Entry(0, 100), 200);
    EXPECT_EQ(f.Column(1), f.Column(0));
    EXPECT_EQ(f.Column(2), f.Column(0));
    EXPECT_EQ(f.tf.m_aPoints[3], kRamp);

    f.editor.SelectChannel(CXfrEditor::kBlue);
    EXPECT_EQ(f.tf.m_nCurrent, CTransferFunction::kBlue);
    EXPECT_FALSE(f.tf.m_bLinked);
    f.Down(30, 220);
    EXPECT_EQ(f.tf.m_aPoints[2].size(), 4u);
    EXPECT_EQ(f.tf.m_aPoints[0].size(), 3u);
    EXPECT_NE(f.Column(2), f.Column(0));
}

// Auto-update off enables Apply, on disables it.
TEST(CXfrEditor, AutoUpdateDecidesApply)
{
    EditorFixture f(true);
    f.editor.SetAutoUpdate(false);
    EXPECT_TRUE(f.editor.m_bApplyEnabled);
    f.editor.SetAutoUpdate(true);
    EXPECT_FALSE(f.editor.m_bApplyEnabled);
}

// Save, change everything, Load: the four lists and the file's spline flag
// come back and the columns are rebuilt, while the Use-splines check keeps
// its value. A file that cannot be read changes nothing, selection included.
TEST(CXfrEditor, SaveThenLoadRestoresTheCurves)
{
    TempDir dir;
    EditorFixture f;
    f.Down(40, 200);
    f.editor.LeftUp();
    f.editor.SetSplines(false);
    f.editor.SelectChannel(CXfrEditor::kGreen);
    f.editor.ApplyPreset(Preset::kNegative);
    const Points lists[4] = {f.tf.m_aPoints[0], f.tf.m_aPoints[1], f.tf.m_aPoints[2], f.tf.m_aPoints[3]};
    const std::vector<int> green = f.Column(1), alpha = f.Column(3);
    const std::string path = dir.File("curves.tfn");
    ASSERT_TRUE(f.editor.Save(path));

    f.editor.ApplyPreset(Preset::kResetAll);
    f.editor.SetSplines(true);
    ASSERT_TRUE(f.editor.Load(path));
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(f.tf.m_aPoints[c], lists[c]) << c;
    EXPECT_EQ(f.tf.m_bSpline, 0);
    EXPECT_TRUE(f.editor.m_bSplines);
    EXPECT_EQ(f.Column(1), green);
    EXPECT_EQ(f.Column(3), alpha);

    f.Down(200, 20);
    f.editor.LeftUp();
    const TfPosition selected = f.editor.m_nSelected;
    const Points before = f.Current();
    EXPECT_FALSE(f.editor.Load(dir.File("missing.tfn")));
    EXPECT_EQ(f.Current(), before);
    EXPECT_EQ(f.editor.m_nSelected, selected);
}

// Which curves the graph shows, in which colour, and the markers: each
// channel is a flat line on its own row, so a probe of column 128 tells.
TEST(CXfrEditor, GraphShowsTheCurvesOfTheMode)
{
    const Rgb black{}, white = xfr::kMarkerEdge;
    const int rows[4] = {256 - 200, 256 - 150, 256 - 100, 256 - 50};
    struct Case {
        int mode;
        bool showAll, hideMarkers;
        Rgb want[4]; // at the rows of red, green, blue, alpha
        int markerValue; // the flat value of the channel whose markers show
        const char* why;
    };
    const Case cases[] = {
        {CXfrEditor::kAlpha, false, false, {black, black, black, xfr::kAlphaCurve}, 50, "alpha alone"},
        {CXfrEditor::kGreen, false, false, {black, xfr::kGreenCurve, black, black}, 150, "green alone"},
        {CXfrEditor::kRed,
         true,
         true,
         {xfr::kRedCurve, xfr::kGreenCurve, xfr::kBlueCurve, xfr::kAlphaCurve},
         -1,
         "show all, markers hidden"},
        {CXfrEditor::kIntensity, false, false, {xfr::kIntensityCurve, black, black, black}, 200, "intensity"},
        {CXfrEditor::kIntensity,
         true,
         false,
         {xfr::kIntensityCurve, black, black, xfr::kAlphaCurve},
         200,
         "intensity with all: green and blue never"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EditorFixture f;
        const int values[4] = {200, 150, 100, 50};
        for (int k = 0; k < 4; ++k) {
            f.tf.m_aPoints[k] = {{0, values[k]}, {255, values[k]}};
            f.tf.BuildChannel(k, true);
        }
        if (c.mode != CXfrEditor::kAlpha)
            f.editor.SelectChannel(c.mode);
        f.editor.m_bShowAll = c.showAll;
        f.editor.m_bHideMarkers = c.hideMarkers;
        CXfrPicture p;
        f.editor.Draw(p);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(p.At(128, rows[k]), c.want[k]) << "row of channel " << k;
        // The markers' top edges, at both ends of the current channel.
        for (int k = 0; k < 4; ++k) {
            const bool marked = values[k] == c.markerValue;
            EXPECT_EQ(p.At(0, 256 - values[k] - 4) == white, marked) << "first marker of channel " << k;
            EXPECT_EQ(p.At(251, 256 - values[k] - 4) == white, marked) << "last marker of channel " << k;
        }
    }

    // The selected marker is filled white, the others black inside.
    EditorFixture f;
    f.Down(100, 100);
    CXfrPicture p;
    f.editor.Draw(p);
    EXPECT_EQ(p.At(100, 156), white);
    EXPECT_EQ(p.At(127, 129), black);
}

// The histogram picture is the one of the first drawing: a histogram that
// changes later does not show (the editor is rebuilt for a new volume).
TEST(CXfrEditor, HistogramPictureIsKeptFromTheFirstDrawing)
{
    EditorFixture f;
    f.volume.m_histogram.m_display[30] = 100;
    CXfrPicture first;
    f.editor.Draw(first);
    EXPECT_EQ(first.At(30, 200), xfr::kHistogramGrey);
    EXPECT_EQ(first.At(30, 155), Rgb{});
    f.volume.m_histogram.m_display[30] = 0;
    f.volume.m_histogram.m_display[31] = 100;
    CXfrPicture second;
    f.editor.Draw(second);
    EXPECT_TRUE(second.m_rgb == first.m_rgb);
}

// Apply's palette: the colour scaled by min(alpha / i, 1) rounded half up,
// in blue, green, red order; identity or higher alpha keeps the colours
// (entry 0 only while its alpha is above 0), alpha 0 makes every entry black.
TEST(LightBoxPalette, ScalesByAlphaOverTheEntry)
{
    struct Whole {
        const char* why;
        int (*alpha)(int i);
        bool unchanged, black;
    };
    const Whole wholes[] = {
        {"identity alpha", [](int i) { return i; }, true, false},
        {"alpha above the identity", [](int i) { return std::min(255, i + 40); }, true, false},
        {"opaque", [](int) { return 255; }, true, false},
        {"alpha 0", [](int) { return 0; }, false, true},
    };
    for (const Whole& w : wholes) {
        RgbaLookupTable table{};
        for (int i = 0; i < 256; ++i) {
            table[4 * i + 0] = std::uint8_t(i);
            table[4 * i + 1] = std::uint8_t(255 - i);
            table[4 * i + 2] = std::uint8_t((i * 7) & 0xFF);
            table[4 * i + 3] = std::uint8_t(w.alpha(i));
        }
        BgrPalette palette;
        palette.fill(1);
        WriteLightBoxPalette(table, palette);
        for (int i = 0; i < 256; ++i)
            for (int c = 0; c < 3; ++c) {
                const bool dark = w.black || (i == 0 && w.alpha(0) == 0);
                const int want = dark ? 0 : table[4 * i + (2 - c)];
                ASSERT_EQ(palette[3 * i + c], want) << w.why << ", entry " << i << ", byte " << c;
            }
    }

    struct Entry {
        int i, alpha, colour, want;
        const char* why;
    };
    const Entry entries[] = {
        {2, 1, 1, 1, "0.5 rounds up"},
        {128, 64, 255, 128, "127.5 rounds up"},
        {3, 1, 2, 1, "0.67"},
        {3, 1, 1, 0, "0.33"},
        {255, 254, 255, 254, "just below the identity"},
        {200, 100, 99, 50, "49.5 rounds up"},
        {0, 1, 77, 77, "entry 0 with any alpha keeps its colour"},
        {0, 0, 77, 0, "entry 0 without alpha is black"},
    };
    for (const Entry& e : entries) {
        RgbaLookupTable table{};
        table[4 * e.i + 0] = std::uint8_t(e.colour);
        table[4 * e.i + 1] = std::uint8_t(e.colour);
        table[4 * e.i + 2] = std::uint8_t(e.colour);
        table[4 * e.i + 3] = std::uint8_t(e.alpha);
        BgrPalette palette{};
        WriteLightBoxPalette(table, palette);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(palette[3 * e.i + c], e.want) << e.why;
    }
}
