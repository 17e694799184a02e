#include "components/jtSysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

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

// Short decimals take a quicker road than long ones; both must give the
// value the full conversion gives, bit for bit, with either separator.
TEST(TextToFloat, everyDecimalReadsAsTheFullConversionReadsIt)
{
    std::mt19937_64 random(20160101);
    const char* fixed[] = {"9007199254740993",  "9007199254740992.5", "0.1",  "-0.0",  "1015.0",
                           "0000000000000000000000012.5", "4503599627370497.5", "0.30000000000000004",
                           "123456789012345678901234", "1.7976931348623157", "0.0000000000000000000000001"};
    std::vector<std::string> texts(std::begin(fixed), std::end(fixed));
    for (int i = 0; i < 20000; ++i) {
        std::string t;
        if (random() % 4 == 0) t += '-';
        const int digits = 1 + int(random() % 19);
        const int point = int(random() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0) t += '.';
            t += char('0' + random() % 10);
        }
        texts.push_back(t);
    }
    for (const std::string& text : texts) {
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        for (const char separator : {'.', ','}) {
            std::string local = text;
            std::replace(local.begin(), local.end(), '.', separator);
            double v = 42;
            ASSERT_TRUE(jt::TryTextToFloat(local, separator, v)) << local;
            ASSERT_EQ(std::memcmp(&v, &expected, sizeof v), 0) << local << " read as " << v;
        }
    }
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
