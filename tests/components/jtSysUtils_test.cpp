#include "components/jtSysUtils.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct FloatCase {
    const char* Text;
    char Separator;
    bool Ok;
    double Value;
};

TEST(TextToFloat, acceptsExactlyTheDecimalGrammar)
{
    const FloatCase cases[] = {
        {"15", '.', true, 15},         {"-2.5", '.', true, -2.5},     {"  +3.25  ", '.', true, 3.25},
        {"1e3", '.', true, 1000},      {"1E-2", '.', true, 0.01},     {"2.", '.', true, 2},
        {".5", '.', true, 0.5},        {"1,5", ',', true, 1.5},       {"1.5", ',', false, 0},
        {"1,5", '.', false, 0},        {"0x10", '.', false, 0},       {"inf", '.', false, 0},
        {"nan", '.', false, 0},        {"1e", '.', false, 0},         {"", '.', false, 0},
        {" ", '.', false, 0},          {"-", '.', false, 0},          {".", '.', false, 0},
        {"1.2.3", '.', false, 0},      {"$FF0000", '.', false, 0},    {"1e+", '.', false, 0},
        {"\t1", '.', false, 0},        {"1 2", '.', false, 0},        {"12;note", '.', false, 0},
    };
    for (const FloatCase& c : cases) {
        double v = -1;
        EXPECT_EQ(jt::TryTextToFloat(c.Text, c.Separator, v), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
        }
    }
}

TEST(TextToFloat, trailingBlanksCanBeRefused)
{
    double v = 0;
    EXPECT_TRUE(jt::TryTextToFloat(" 1.5", '.', v, false));
    EXPECT_FALSE(jt::TryTextToFloat("1.5 ", '.', v, false));
}

TEST(TextToFloat, failureNamesTheText)
{
    try {
        jt::TextToFloat("abc", '.');
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
        EXPECT_STREQ(e.ClassName(), "EConvertError");
    }
}

TEST(TextToFloat, hugeExponentsDoNotFail)
{
    double v = 0;
    ASSERT_TRUE(jt::TryTextToFloat("1e999", '.', v));
    EXPECT_TRUE(std::isinf(v));
    ASSERT_TRUE(jt::TryTextToFloat("-1e-999", '.', v));
    EXPECT_EQ(v, 0.0);
}

TEST(TextToInt, decimalAndHexadecimal)
{
    std::int32_t v = 0;
    EXPECT_TRUE(jt::TryTextToInt("51000", v));
    EXPECT_EQ(v, 51000);
    EXPECT_TRUE(jt::TryTextToInt("$FF0000", v));
    EXPECT_EQ(v, 0xFF0000);
    EXPECT_TRUE(jt::TryTextToInt("0x0080ff", v));
    EXPECT_EQ(v, 0x0080FF);
    EXPECT_TRUE(jt::TryTextToInt("-12", v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(jt::TryTextToInt("$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(jt::TryTextToInt("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    for (const char* bad : {"", "11000.5", "2147483648", "$", "0x", "1 ", "12a", "$1FFFFFFFF", "Color"})
        EXPECT_FALSE(jt::TryTextToInt(bad, v)) << bad;
}

TEST(TextToInt, failureMessage)
{
    EXPECT_THROW(jt::TextToInt("11000.5"), EConvertError);
    try {
        jt::TextToInt("11000.5");
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'11000.5' is not a valid integer value");
    }
}

TEST(FormatGeneral, examples)
{
    EXPECT_EQ(jt::FormatGeneral(0.00001L, 8, '.'), "1E-5");
    EXPECT_EQ(jt::FormatGeneral(123456789.0L, 8, '.'), "1.2345679E8");
    EXPECT_EQ(jt::FormatGeneral(1000.0L, 8, '.'), "1000");
    EXPECT_EQ(jt::FormatGeneral(0.5L, 8, '.'), "0.5");
    EXPECT_EQ(jt::FormatGeneral(0.0001L, 8, '.'), "0.0001");
    EXPECT_EQ(jt::FormatGeneral(0.0L, 8, '.'), "0");
    EXPECT_EQ(jt::FormatGeneral(-2.5L, 8, ','), "-2,5");
    EXPECT_EQ(jt::FormatGeneral(12345678.0L, 8, '.'), "12345678");
    EXPECT_EQ(jt::FormatGeneral(1.0e20L, 15, '.'), "1E20");
    EXPECT_EQ(jt::FormatGeneral(0.1L, 15, '.'), "0.1");
}

TEST(FormatFixed, widthFourAndDecimals)
{
    EXPECT_EQ(jt::FormatFixed(3.14159L, 2, '.'), "3.14");
    EXPECT_EQ(jt::FormatFixed(15.0L, 0, '.'), "  15");
    EXPECT_EQ(jt::FormatFixed(2.5L, 1, ','), " 2,5");
}

}  // namespace
