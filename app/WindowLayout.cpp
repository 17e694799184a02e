#include "app/WindowLayout.h"

#include "movie/SoundingChart.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace app {
namespace {

constexpr TAnchors kAll = akLeft | akTop | akRight | akBottom;

const TControlPlace kLayout[] = {
    {"Chart1", 8, 8, Chart1Width, Chart1Height, kAll, -1},
    {"TrackBar1", 0, 328, 721, 25, akLeft | akRight | akBottom, -1},
    {"Animate_CheckBox", 748, 75, 69, 17, akTop | akRight, -1},
    {"Prev_UIButton", 736, 112, 41, 25, akTop | akRight, -1},
    {"Next_UIButton", 792, 112, 41, 25, akTop | akRight, -1},
    {"Markers_CheckBox", 728, 200, 97, 17, akTop | akRight, -1},
    {"Points_CheckBox", 728, 224, 97, 17, akTop | akRight, -1},
    {"Standard_Atmosphere_UICheckBox", 16, 360, 129, 17, akLeft | akBottom, 1},
    {"DALR_UICheckBox", 16, 384, 129, 17, akLeft | akBottom, 2},
    {"ELR_CheckBox", 16, 408, 129, 17, akLeft | akBottom, 3},
    {"CheckBox1", 16, 432, 129, 17, akLeft | akBottom, 4},
    {"ST_Color_UIPanel", 144, 360, 17, 17, akLeft | akBottom, 1},
    {"DALR_Color_UIPanel", 144, 384, 17, 17, akLeft | akBottom, 2},
    {"ELR_Color_UIPanel", 144, 408, 17, 17, akLeft | akBottom, 3},
    {"SALR_Color_UIPanel", 144, 432, 17, 17, akLeft | akBottom, 4},
    {"ScrollBar1", 176, 384, 129, 17, akLeft | akBottom, 2},
    {"ScrollBar2", 176, 408, 129, 17, akLeft | akBottom, 3},
    {"ScrollBar3", 176, 432, 129, 17, akLeft | akBottom, 4},
    {"DewPoint_UICheckBox", 328, 384, 97, 17, akLeft | akBottom, 5},
    {"Dewpoint_Color_UIPanel", 448, 384, 17, 17, akLeft | akBottom, 5},
    {"WindDirection_UICheckBox", 328, 408, 121, 17, akLeft | akBottom, 6},
    {"WindDirection_Color_UIPanel", 448, 408, 17, 17, akLeft | akBottom, 6},
    {"Windspeed_UICheckBox", 328, 432, 97, 17, akLeft | akBottom, 7},
    {"Windspeed_Color_UIPanel", 448, 432, 17, 17, akLeft | akBottom, 7},
    {"Label2", 480, 434, 90, 13, akLeft | akBottom, -1},
    {"Name_UIComboBox", 608, 368, 225, 21, akRight | akBottom, -1},
    {"Button2", 680, 400, 73, 33, akRight | akBottom, -1},
    {"Label3", 744, 24, 95, 13, akTop | akRight, -1},
    {"jtSpinEdit1", 768, 40, 33, 21, akTop | akRight, -1},
};

}  // namespace

std::span<const TControlPlace> WindowLayout() { return kLayout; }

const TControlPlace& PlaceOf(const char* Name)
{
    for (const TControlPlace& P : kLayout)
        if (std::strcmp(P.Name, Name) == 0) return P;
    throw std::out_of_range(std::string("no place for the control ") + Name);
}

}  // namespace app
