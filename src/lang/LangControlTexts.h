#pragma once

#include <span>

// What ApplyLanguage puts on the main window's controls, found by objectName. The window walks
// langControlTexts() in order and sets each property to LangText(textId).
//
// Not in the table, because they need more than one assignment: the language menu items (their
// captions stay as laid out, except MunuJezykRU), RGMapa's two-row map titles (212, 213 when its
// ItemIndex is 1), RGWyjKor's items (LangText(555) then "5V", ItemIndex kept), the port menu's
// connect/disconnect captions (langFacadeTexts()) and the chart texts (langChartTexts()).
enum class LangProperty {
    Caption,
    Hint,
    FirstItem, // first item of a radio group
};

struct LangControlText {
    const char* objectName;
    LangProperty property;
    int textId;
    // The row applies only while the control's Tag has this value; -1: always. Button1's caption
    // follows the tab it serves (0 parameters, 2 update) and is left alone for other tags.
    int onlyWhenTag;
};

struct LangChartText {
    int kind; // SetChartText kind: 23 first title, 24 second title, 20/21/22 x/y/z axis
    int textId;
};

struct LangFacadeTexts {
    int connectCaption;    // FConnectCaption
    int disconnectCaption; // FDisconnectCaption
};

std::span<const LangControlText> langControlTexts();
std::span<const LangChartText> langChartTexts();
LangFacadeTexts langFacadeTexts();
