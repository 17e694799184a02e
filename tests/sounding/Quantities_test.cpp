// The tables of quantities write the CSV headers the files have always had:
// a column moved, renamed or dropped from a table changes stored files.
#include "analysis/Quantities.h"

#include <gtest/gtest.h>

namespace {

TEST(Quantities, tablesGiveTheCsvHeaders)
{
    EXPECT_EQ(sounding::CsvHeader(sounding::IndexQuantities()),
              "sounding,title,showalter,lifted_index,lifted_index_virtual,sweat,k_index,cross_totals,"
              "vertical_totals,totals_totals,cape,cape_virtual,cin,cin_virtual,equilibrium_level,"
              "equilibrium_level_virtual,lfc,lfc_virtual,bulk_richardson,bulk_richardson_virtual,"
              "lcl_temperature,lcl_pressure,mixed_layer_theta,mixed_layer_mixing_ratio,thickness_1000_500,"
              "precipitable_water,cape_surface,cin_surface,cape_most_unstable,cin_most_unstable,"
              "bulk_shear_0_1km,bulk_shear_0_3km,bulk_shear_0_6km,mean_wind_0_6km_direction,mean_wind_0_6km_speed,"
              "storm_motion_right_direction,storm_motion_right_speed,storm_motion_left_direction,"
              "storm_motion_left_speed,srh_0_1km,srh_0_3km,effective_inflow_base,effective_inflow_top,effective_srh,"
              "effective_bulk_shear,stp_fixed,scp");
    EXPECT_EQ(sounding::CsvHeader(sounding::LevelQuantities()),
              "sounding,title,surface_height,freezing_level,warm_layer_base,warm_layer_top,"
              "warm_layer_max_temperature,tropopause_height,tropopause_temperature,tropopause_pressure,"
              "inversion_base,inversion_top,inversion_strength");
}

}  // namespace
