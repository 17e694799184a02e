// profilora-export --indices: the header, the fields in their order with
// their decimals (the wind's after the stability indices), an empty field for what a launch cannot give, standard
// output for "-", and the failures that write nothing.
#include "ExportRun.h"
#include "tools/Export.h"

#include "platform/Fakes.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sstream>

namespace {

using Args = std::vector<std::string>;

const std::string January = std::string(PROFILORA_DATA_DIR) + "/wyoming_94610_2016_01.html";

class IndicesExport : public TExportRun {};

TEST_F(IndicesExport, januaryOfPerth)
{
    ASSERT_EQ(Run({January, "--indices", Path("i.csv")}), kExportDone) << Err;
    const std::string text = testfiles::Slurp(Path("i.csv"));
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> rows;
    while (std::getline(lines, line)) rows.push_back(line);
    ASSERT_EQ(rows.size(), 1u + 62u);
    EXPECT_EQ(rows[0],
              "sounding,title,showalter,lifted_index,lifted_index_virtual,sweat,k_index,cross_totals,"
              "vertical_totals,totals_totals,cape,cape_virtual,cin,cin_virtual,equilibrium_level,"
              "equilibrium_level_virtual,lfc,lfc_virtual,bulk_richardson,bulk_richardson_virtual,"
              "lcl_temperature,lcl_pressure,mixed_layer_theta,mixed_layer_mixing_ratio,thickness_1000_500,"
              "precipitable_water,cape_surface,cin_surface,cape_most_unstable,cin_most_unstable,"
              "bulk_shear_0_1km,bulk_shear_0_3km,bulk_shear_0_6km,mean_wind_0_6km_direction,mean_wind_0_6km_speed,"
              "storm_motion_right_direction,storm_motion_right_speed,storm_motion_left_direction,"
              "storm_motion_left_speed,srh_0_1km,srh_0_3km,effective_inflow_base,effective_inflow_top,effective_srh,"
              "effective_bulk_shear,stp_fixed,scp");
    // The page prints for these launches: Showalter 8.34, LI 11.97 (11.90
    // virtual), SWEAT 32.98, K 16.50, totals 7.10 / 28.10 / 35.20, no CAPE,
    // LCL 280.45 K 887.34 hPa, 290.20 K, 7.29 g/kg, 5701 m, 24.77 mm; and
    // for the fourth CAPE 11.92 (32.31 virtual), CIN -548.63 (-463.55), EL
    // 319.88 (318.18), LFC 523.92 (536.06), BRN 0.31 (0.83).
    EXPECT_EQ(rows[1],
              "0,94610 2016-01-01 00Z,8.34,11.98,11.91,33.00,16.50,7.10,28.10,35.20,0.0,0.0,0.0,0.0,,,,,"
              "0.00,0.00,280.46,887.52,290.20,7.29,5701.0,24.77,0.0,0.0,0.0,0.0,"
              "1.8,17.6,24.8,315,6.7,344,12.6,246,6.6,-66,152,,,,,0.00,0.00");
    EXPECT_EQ(rows[4],
              "3,94610 2016-01-02 12Z,0.72,1.28,0.71,162.20,31.50,17.90,28.90,46.80,11.5,34.5,-542.6,-459.8,"
              "318.66,316.71,525.20,537.79,0.29,0.88,284.09,800.77,302.73,10.37,5765.0,30.61,0.0,0.0,408.5,"
              "-195.4,8.0,13.8,14.8,313,4.5,17,8.3,259,9.2,-137,-50,315,315,0,20.6,0.00,0.00");

    // "-" is standard output, byte for byte the same.
    ASSERT_EQ(Run({January, "--indices", "-"}), kExportDone) << Err;
    EXPECT_EQ(Out, text);
}

TEST_F(IndicesExport, failuresWriteNothing)
{
    const struct {
        Args A;
        const char* Message;
    } cases[] = {
        {{January, "--indices"}, "--indices needs a file name"},
        {{January, "--indices", Path("missing/i.csv")}, "cannot write"},
        {{January, "--indices", January}, "it is the input file"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.A), kExportFailed) << c.Message;
        EXPECT_NE(Err.find(c.Message), std::string::npos) << Err;
        EXPECT_TRUE(Out.empty());
    }
}

}  // namespace
