#include "MainWindowGeometry.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace ui {

namespace {

const std::vector<ControlPlace> kPlaces = {
    {"Panel5", {8, 0, 753, 25}},         {"Label13", {16, 3, 52, 16}},
    {"ReportButton", {72, 2, 67, 20}},  // "Отчёт", beside "Тарировка"
    {"Button10", {144, 2, 121, 20}},    // "Тарировка", in the band's free part
    {"Button9", {272, 2, 121, 20}},      {"Button8", {400, 2, 121, 20}},
    {"Button4", {536, 2, 121, 20}},      {"Button7", {664, 2, 83, 20}},
    {"Button12", {536, 2, 80, 20}},  // "Настройки", over the hidden Button4
    {"Panel1", {8, 27, 753, 25}},        {"Label4", {1, 1, 749, 21}},
    {"Image1", {8, 54, 92, 92}},         {"Label3", {125, 56, 585, 57}},
    {"Label6", {592, 57, 129, 17}},      {"ConnectStatusText", {552, 72, 209, 69}},
    {"COMSelect", {125, 114, 145, 21}},  {"Button1", {277, 114, 75, 21}},
    {"Panel2", {8, 144, 753, 25}},       {"Label5", {1, 1, 749, 21}},
    {"Image2", {8, 172, 92, 92}},        {"Label7", {125, 176, 585, 49}},
    {"LLS_ADRESS", {125, 228, 113, 19}}, {"Button5", {245, 228, 113, 19}},
    {"Panel3", {8, 265, 753, 25}},       {"Label1", {1, 1, 749, 21}},
    {"Label8", {125, 293, 497, 57}},     {"Chart1", {624, 296, 137, 97}},
    {"Image3", {8, 304, 92, 92}},        {"Label12", {457, 350, 145, 16}},
    {"LEVELMIN", {144, 352, 129, 18}},   {"LEVELMAX", {296, 352, 129, 18}},
    {"Edit1", {465, 374, 128, 18}},      {"Button3", {144, 376, 129, 19}},
    {"Button2", {296, 376, 129, 19}},    {"Button6", {594, 396, 91, 20}},
    {"Label9", {125, 398, 585, 33}},     {"Panel4", {8, 421, 753, 25}},
    {"Label2", {1, 1, 749, 21}},         {"Label10", {125, 448, 585, 83}},
    {"Image4", {8, 456, 92, 92}},        {"ProgressBar1", {125, 536, 385, 18}},
    {"Label11", {517, 536, 89, 18}},
};

}  // namespace

const std::vector<ControlPlace>& mainWindowPlaces() {
    return kPlaces;
}

QRect mainWindowPlace(const char* name) {
    for (const ControlPlace& place : kPlaces) {
        if (std::strcmp(place.name, name) == 0) return place.geometry;
    }
    throw std::logic_error(std::string("the main window has no place for ") + name);
}

}  // namespace ui
