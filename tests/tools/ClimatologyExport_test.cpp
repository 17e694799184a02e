// --climatology end to end on a made-up record of 21 years, and
// --climatology-from.
#include "tools/ExportOptions.h"

#include "ExportRun.h"
#include "IgraRecord.h"
#include "TestFiles.h"
#include "analysis/Climatology.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// 1990-2010, 12Z on Jul 1 and 2 (days 182 and 183), surface 10 C in 1990
// rising 1 C a year; and one launch of 2000 with neither a nominal hour nor
// a release time.
std::string TwentyOneYears()
{
    std::string text;
    for (int year = 1990; year <= 2010; ++year)
        for (const int day : {1, 2}) text += igra_record::ThreeLevels(year, 7, day, 12, 1105, 100 + 10 * (year - 1990));
    text += igra_record::ThreeLevels(2000, 7, 3, 99, 9999, 400);
    return text;
}

std::vector<std::string> Lines(const std::string& Text)
{
    std::vector<std::string> lines;
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class ClimatologyExport : public TExportRun {};

TEST_F(ClimatologyExport, rowsInOrderWithTheirPercentiles)
{
    const std::string record = Path("record.txt");
    testfiles::Put(record, TwentyOneYears());
    ASSERT_EQ(Run({record, "--climatology", Path("c.csv")}), kExportDone) << Err;
    const std::vector<std::string> lines = Lines(testfiles::Slurp(Path("c.csv")));
    const int columns = sounding::ClimateColumnCount();
    // The 12Z group alone: the launch without an hour is in none.
    ASSERT_EQ(lines.size(), std::size_t(1 + 2 * 365 * 81 + columns * 365));
    EXPECT_EQ(lines[0], "hour,quantity,day,height,count,p10,p25,p50,p75,p90");
    const auto row = [&](const std::string& Quantity, int Day, int Height) {
        std::size_t at = 1 + std::size_t(Day - 1) * 81 + std::size_t(Height / 250);
        if (Quantity == "dew_point") at += 365 * 81;
        return lines[at];
    };
    EXPECT_EQ(lines[1], "12,temperature,1,0,0,,,,,");
    // 42 values, 10 .. 30 C twice each.
    EXPECT_EQ(row("temperature", 182, 0), "12,temperature,182,0,42,12.0,15.0,20.0,25.0,28.0");
    EXPECT_EQ(row("temperature", 182, 250), "12,temperature,182,250,42,10.5,13.5,18.5,23.5,26.5");
    EXPECT_EQ(row("temperature", 182, 1250), "12,temperature,182,1250,0,,,,,");
    EXPECT_EQ(row("temperature", 182, 5000), "12,temperature,182,5000,42,-18.0,-15.0,-10.0,-5.0,-2.0");
    EXPECT_EQ(row("dew_point", 182, 0), "12,dew_point,182,0,42,7.0,10.0,15.0,20.0,23.0");
    // Day 167 reaches day 182 only, day 198 day 183 only: 21 launches each.
    EXPECT_EQ(row("temperature", 167, 0), "12,temperature,167,0,21,12.0,15.0,20.0,25.0,28.0");
    EXPECT_EQ(row("temperature", 198, 0).substr(0, 24), "12,temperature,198,0,21,");
    EXPECT_EQ(row("temperature", 199, 0), "12,temperature,199,0,0,,,,,");
    EXPECT_EQ(row("dew_point", 365, 20000), "12,dew_point,365,20000,0,,,,,");
    // Then every column, indices first, each day of the year.
    const std::size_t firstColumn = 1 + 2 * 365 * 81;
    EXPECT_EQ(lines[firstColumn], "12,showalter,1,,0,,,,,");
    EXPECT_EQ(lines[firstColumn + 365 * 1].substr(0, 16), "12,lifted_index,");
    const int freezing = sounding::ClimateColumnOf("freezing_level");
    // Launch k (surface 10 + k C) freezes (4 + k) / 24 of the way from 1000 to 5000 m.
    EXPECT_EQ(lines[firstColumn + std::size_t(freezing) * 365 + 181],
              "12,freezing_level,182,,42,2000.0,2500.0,3333.3,4166.7,4666.7");
    EXPECT_EQ(lines.back().substr(0, 27), "12,inversion_strength,365,,");
}

TEST_F(ClimatologyExport, fromAnotherRecord)
{
    const std::string record = Path("record.txt");
    testfiles::Put(record, TwentyOneYears());
    ASSERT_EQ(Run({record, "--climatology", Path("own.csv")}), kExportDone) << Err;
    const std::string page = std::string(PROFILORA_DATA_DIR) + "/USM00072403-data-beg2016.txt.zip";
    ASSERT_EQ(Run({page, "--climatology", Path("from.csv"), "--climatology-from", record}), kExportDone) << Err;
    EXPECT_EQ(testfiles::Slurp(Path("from.csv")), testfiles::Slurp(Path("own.csv")));
    // Without inputs, to standard output.
    ASSERT_EQ(Run({"--climatology", "-", "--climatology-from", record}), kExportDone) << Err;
    EXPECT_EQ(Out, testfiles::Slurp(Path("own.csv")));
    // Never over the record it is made from.
    EXPECT_EQ(Run({page, "--climatology", record, "--climatology-from", record}), kExportFailed);
    EXPECT_EQ(testfiles::Slurp(record), TwentyOneYears());

    ExportOptions o;
    EXPECT_EQ(ParseExportArguments({page, "--csv", "--climatology-from", record}, o),
              "--climatology-from applies to --climatology and --anomaly only");
    EXPECT_EQ(ParseExportArguments({"--climatology", "c.csv"}, o), "no page given");
}

}  // namespace
