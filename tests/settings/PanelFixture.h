#pragma once

#include "FakeHost.h"
#include "LeftPanelControls.h"
#include "SettingsEditor.h"

#include <QWidget>
#include <memory>

// The left-panel controls in their four containers, wired to the edit handlers and a recording
// window stand-in: what the settings tests start from.
struct PanelFixture {
    QWidget root;
    QWidget* nas = new QWidget(&root);
    QWidget* czuj = new QWidget(&root);
    QWidget* mapy = new QWidget(&root);
    QWidget* inne = new QWidget(&root);
    LeftPanelControls c;
    FakeHost host;
    std::unique_ptr<SettingsEditor> editor;

    PanelFixture() {
        c.createLeftPanelControls({nas, czuj, mapy, inne});
        editor = std::make_unique<SettingsEditor>(c, host);
    }
};
