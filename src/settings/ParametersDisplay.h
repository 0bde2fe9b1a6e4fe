#pragma once

#include "LiveView.h"
#include "SettingsView.h"

struct ControlStates;
struct LeftPanelControls;
class ParametersHost;

// Puts what the controller reported onto the left panel: a live view (state colours, value
// labels, the configuration-source refresh) and a settings view (the value of every settings
// control). It never decodes bytes: the views come decoded from the protocol layer.
class ParametersDisplay {
public:
    ParametersDisplay(LeftPanelControls& controls, ParametersHost& host);

    void applyLive(const LiveView& view);
    void applySettings(const SettingsView& view);
    // The part of a live view that runs when the controller's configuration source changed.
    void applyRefresh(const LiveView::Refresh& refresh);

    // The look after a lost connection: the state panels and the two coloured boxes return to
    // the button face.
    void showUnknownState();
    // The controls that only service mode shows.
    void setServiceControlsVisible(bool visible);

    // The control states that the protocol decisions read, taken from the controls.
    static void fillControlStates(const LeftPanelControls& controls, ControlStates& states);

private:
    LeftPanelControls& c_;
    ParametersHost& host_;
};
