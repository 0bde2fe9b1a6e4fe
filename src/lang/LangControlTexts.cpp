#include "LangControlTexts.h"

namespace {

using P = LangProperty;

// In the order ApplyLanguage sets them.
constexpr LangControlText controlTexts[] = {
    {"MenuPliki", P::Caption, 146, -1},     {"PlikiZamknij", P::Caption, 147, -1},
    {"MenuPort", P::Caption, 148, -1},      {"MenuJezyk", P::Caption, 149, -1},
    {"MunuJezykRU", P::Caption, 959, -1},   {"MenuPomoc", P::Caption, 154, -1},
    {"MenuPomocDok", P::Caption, 156, -1},  {"MenuPomocOProg", P::Caption, 157, -1},
    {"ZakladkaParam", P::Caption, 110, -1}, {"ZakladkaProg", P::Caption, 115, -1},
    {"Button1", P::Caption, 131, 0},        {"Button1", P::Caption, 138, 2},
    {"Button1", P::Hint, 548, -1},          {"Button2", P::Caption, 549, -1},
    {"Button2", P::Hint, 550, -1},          {"PanelError", P::Caption, 724, -1},
    {"OpisSygaly", P::Caption, 201, -1},    {"OpisNastawy", P::Caption, 202, -1},
    {"OpisKor", P::Caption, 203, -1},       {"OpisRoz", P::Caption, 204, -1},
    {"Label14", P::Caption, 205, -1},       {"Label4", P::Caption, 151, -1},
    {"Label5", P::Caption, 151, -1},        {"PanelSta", P::Caption, 207, -1},
    {"PanelImp", P::Caption, 208, -1},      {"PanelGAZ", P::Caption, 209, -1},
    {"PanelPwr", P::Caption, 210, -1},      {"PanelTPS", P::Caption, 211, -1},
    {"PanelRPM", P::Caption, 212, -1},      {"PanelKAT", P::Caption, 213, -1},
    {"PanelSyg", P::Caption, 214, -1},      {"PanelRoz", P::Caption, 214, -1},
    {"ToolBtnMapKasuj", P::Hint, 215, -1},  {"ToolBtnOpen", P::Hint, 700, -1},
    {"ToolBtnSave", P::Hint, 701, -1},      {"PanelObc", P::Caption, 216, -1},
    {"PanelZap", P::Caption, 217, -1},      {"PanelPrz", P::Caption, 218, -1},
    {"CheckBoxOn", P::Caption, 219, -1},    {"CheckBoxKP", P::Caption, 220, -1},
    {"CheckBoxTp", P::Caption, 221, -1},    {"PanelTxt1", P::Caption, 222, -1},
    {"PanelTxt2", P::Caption, 223, -1},     {"PanelTxt3", P::Caption, 224, -1},
    {"RGWyjKor", P::Caption, 225, -1},      {"RGWyjRoz", P::Caption, 226, -1},
    {"RGWejRoz", P::Caption, 227, -1},      {"RGMapSor", P::Caption, 228, -1},
    {"TxtMIN", P::Caption, 239, -1},        {"PanelTxt4", P::Caption, 240, -1},
    {"PanelTxt5", P::Caption, 230, -1},     {"CheckBoxPk", P::Caption, 231, -1},
    {"CheckBoxRo", P::Caption, 232, -1},    {"CheckBoxBG", P::Caption, 233, -1},
    {"CheckBoxRo", P::Hint, 746, -1},       {"CheckBoxKP", P::Hint, 746, -1},
    {"PanelPot", P::Caption, 234, -1},      {"RGKomKor", P::Caption, 235, -1},
    {"RGKomRoz", P::Caption, 235, -1},      {"CheckBoxZbo", P::Caption, 236, -1},
    {"RGMapa", P::Caption, 237, -1},        {"RGMapa", P::FirstItem, 238, -1},
};

constexpr LangChartText chartTexts[] = {
    {23, 300}, {24, 302}, {20, 304}, {21, 305}, {22, 306},
};

} // namespace

std::span<const LangControlText> langControlTexts() {
    return controlTexts;
}

std::span<const LangChartText> langChartTexts() {
    return chartTexts;
}

LangFacadeTexts langFacadeTexts() {
    return {140, 139};
}
