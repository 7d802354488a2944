#include <utility>

#include <gtest/gtest.h>

#include "app/ScrollBarNoKbd.h"

// Every scroll code, from the bar's position before the event: the ends,
// lines inside minimum .. maximum less the page, pages clamped, the thumb
// where it was dragged, end of scroll in place. The light box's bars have
// no page, so page steps leave them alone.
TEST(ScrollArithmetic, EveryCode)
{
    struct Case {
        ScrollCode code;
        int current, given, page, want;
    };
    // Range 0 .. 99.
    const Case cases[] = {
        {SB_LINEUP, 50, 0, 0, 49},      {SB_LINEUP, 0, 0, 0, 0},         {SB_LINEDOWN, 50, 0, 0, 51},
        {SB_LINEDOWN, 99, 0, 0, 99},    {SB_PAGEUP, 50, 0, 0, 50},       {SB_PAGEDOWN, 50, 0, 0, 50},
        {SB_PAGEUP, 50, 0, 10, 40},     {SB_PAGEUP, 5, 0, 10, 0},        {SB_PAGEDOWN, 50, 0, 10, 60},
        {SB_PAGEDOWN, 85, 0, 10, 89},   {SB_LINEDOWN, 89, 0, 10, 89},    {SB_THUMBTRACK, 50, 7, 0, 7},
        {SB_THUMBPOSITION, 50, 93, 0, 93}, {SB_TOP, 50, 0, 0, 0},        {SB_BOTTOM, 50, 0, 0, 99},
        {SB_BOTTOM, 50, 0, 10, 89},     {SB_ENDSCROLL, 50, 3, 0, 50},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScrollPosition(c.code, c.current, c.given, 0, 99, c.page), c.want)
            << "code " << c.code << " from " << c.current << " page " << c.page;

    const std::pair<wxEventType, ScrollCode> types[] = {
        {wxEVT_SCROLL_LINEUP, SB_LINEUP},       {wxEVT_SCROLL_LINEDOWN, SB_LINEDOWN},
        {wxEVT_SCROLL_PAGEUP, SB_PAGEUP},       {wxEVT_SCROLL_PAGEDOWN, SB_PAGEDOWN},
        {wxEVT_SCROLL_THUMBTRACK, SB_THUMBTRACK}, {wxEVT_SCROLL_THUMBRELEASE, SB_THUMBPOSITION},
        {wxEVT_SCROLL_TOP, SB_TOP},             {wxEVT_SCROLL_BOTTOM, SB_BOTTOM},
        {wxEVT_SCROLL_CHANGED, SB_ENDSCROLL},
    };
    for (const auto& [type, code] : types)
        EXPECT_EQ(ScrollCodeOf(type), code);
}
