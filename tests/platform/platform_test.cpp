#include "platform/QtPlatform.h"

#include <gtest/gtest.h>

namespace {

TEST(SectionCollation, punctuationBeforeDigitsBeforeLetters)
{
    platform::QtSystem sys;
    EXPECT_LT(sys.CompareSectionNames("__STARTOFFILE", "51000"), 0);
    EXPECT_LT(sys.CompareSectionNames("51000", "ALTITUDE"), 0);
    EXPECT_LT(sys.CompareSectionNames("DALR", "DEWPOINT"), 0);
    EXPECT_EQ(sys.CompareSectionNames("dalr", "DALR"), 0);
    EXPECT_LT(sys.CompareSectionNames("SOUNDINGS", "SOUNDINGS-INTERNAL"), 0);
    EXPECT_GT(sys.CompareSectionNames("B", "A_"), 0);
}

TEST(QtNameFilters, pairsBecomeQtFilters)
{
    EXPECT_EQ(platform::ToQtNameFilters("Soundings (*.html)|*.html|All files (*.*)|*.*"),
              "Soundings (*.html);;All files (*)");
    EXPECT_EQ(platform::ToQtNameFilters("Text|*.ini;*.txt"), "Text (*.ini *.txt)");
}

}  // namespace
