#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/DataExchange.h"

// Integer fields: what a user may type around the number, and what is
// refused with "Please enter an integer." (nothing, other characters, a
// value the field could not show back).
TEST(DataExchange, IntegerFieldsParseOnlyWholeNumbers)
{
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"128", 128},
        {" 42 ", 42},
        {"\t-7\t", -7},
        {"+5", 5},
        {"-0", 0},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"1.0", std::nullopt},
        {"0x10", std::nullopt},
        {"+-1", std::nullopt},
        {"--1", std::nullopt},
        {"-", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        std::int32_t v = -12345;
        const bool ok = DdxParseInt(c.text, v);
        EXPECT_EQ(ok, c.value.has_value()) << '"' << c.text << '"';
        if (c.value)
            EXPECT_EQ(v, *c.value) << '"' << c.text << '"';
        else
            EXPECT_EQ(v, -12345) << "a refused field leaves the member: \"" << c.text << '"';
    }
}

// Float fields take fixed and exponent forms; what is not a finite single-
// precision number is refused with "Please enter a number.".
TEST(DataExchange, FloatFieldsParseFiniteNumbers)
{
    struct Case {
        const char* text;
        std::optional<float> value;
    };
    const Case cases[] = {
        {"12.5", 12.5f},
        {" 0.33 ", 0.33f},
        {"5", 5.0f},
        {"-2.5", -2.5f},
        {".5", 0.5f},
        {"5.", 5.0f},
        {"+1", 1.0f},
        {"1e-07", 1e-7f},
        {"2.5E3", 2500.0f},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"1,5", std::nullopt},
        {"1.5x", std::nullopt},
        {"1e", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"-infinity", std::nullopt},
        {"1e39", std::nullopt},
        {"1e400", std::nullopt},
        {"0x1p3", std::nullopt},
    };
    for (const Case& c : cases) {
        float v = -1.0f;
        const bool ok = DdxParseFloat(c.text, v);
        EXPECT_EQ(ok, c.value.has_value()) << '"' << c.text << '"';
        if (c.value)
            EXPECT_EQ(v, *c.value) << '"' << c.text << '"';
        else
            EXPECT_EQ(v, -1.0f) << '"' << c.text << '"';
    }
}

// Six significant digits, fixed or exponent form as printf's %g picks; the
// General page's minimum alpha of 0.05 shows as 5 and 12.5 % stores 0.125.
TEST(DataExchange, FloatsShowSixSignificantDigits)
{
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {
        {5.0f, "5"},
        {0.05f * 100.0f, "5"},
        {0.33f, "0.33"},
        {12.5f, "12.5"},
        {0.1f, "0.1"},
        {-2.5f, "-2.5"},
        {100000.0f, "100000"},
        {1234567.0f, "1.23457e+06"},
        {123456789.0f, "1.23457e+08"},
        {1e-7f, "1e-07"},
        {0.000123456789f, "0.000123457"},
        {0.0f, "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DdxFormatFloat(c.value), c.text) << c.value;

    float percent = 0.0f;
    ASSERT_TRUE(DdxParseFloat("12.5", percent));
    EXPECT_EQ(percent * 0.01f, 0.125f);

    // What a field shows reads back as the same value to six digits.
    for (float v : {0.33f, 1.0f / 3.0f, 2.0f / 3.0e5f, 65535.5f, 7e-20f}) {
        float back = 0.0f;
        ASSERT_TRUE(DdxParseFloat(DdxFormatFloat(v), back)) << v;
        EXPECT_NEAR(back, v, std::abs(v) * 5e-6f) << v;
    }
}

// The range messages name their bounds as the fields show them.
TEST(DataExchange, RangeMessagesNameTheirBounds)
{
    EXPECT_EQ(DdxIntRangeMessage(1, 512), "Please enter an integer between 1 and 512.");
    EXPECT_EQ(DdxIntRangeMessage(0, 2147483647), "Please enter an integer between 0 and 2147483647.");
    EXPECT_EQ(DdxFloatRangeMessage(0.0f, 100.0f), "Please enter a number between 0 and 100.");
    EXPECT_EQ(DdxFloatAboveMessage(0.0f), "Please enter a number greater than 0.");
    EXPECT_EQ(std::string(kDdxIntegerMessage), "Please enter an integer.");
    EXPECT_EQ(std::string(kDdxNumberMessage), "Please enter a number.");
}

// A bound a message names is one the field shows as it is and takes back:
// rounded down to six digits where showing it would round it up.
TEST(DataExchange, ShownBoundsNeverExceedTheBound)
{
    struct Case {
        float bound;
        const char* shown;
    };
    const Case cases[] = {
        {1250.0f, "1250"},           {78.125f, "78.125"},         {19.53125f, "19.5312"},
        {10000.0f / 6.0f, "1666.66"}, {10000.0f / 3.0f, "3333.33"}, {0.999999999f, "1"},
        {4.8828125f, "4.88281"},     {99999.95f, "99999.9"},      {1.0e-7f / 3.0f, "3.33333e-08"},
        {0.0f, "0"},                 {-2.0f / 3.0f, "-0.666667"},
    };
    for (const Case& c : cases) {
        const float shown = DdxShownAtMost(c.bound);
        EXPECT_EQ(DdxFormatFloat(shown), c.shown) << c.bound;
        EXPECT_LE(shown, c.bound) << c.bound;
        float back = 0.0f;
        ASSERT_TRUE(DdxParseFloat(c.shown, back));
        EXPECT_EQ(back, shown) << c.bound;
    }
}
