#pragma once
// The layout rule of the wizard window, in twips, without the window: the frames fill the
// window, the browser fills its frame above the capture panel, the step buttons form a
// right-aligned row under the frames and the save button sits in the report's corner.

#include "wizard/twips.h"

namespace sitecapture {

// The rectangles LayoutWizard moves; the window's controls as created are the starting point.
struct WizardGeometry {
    TwipsRect Frame1{15, 60, 11250, 7320};
    TwipsRect Frame2{15, 45, 11235, 7350};
    TwipsRect Frame4{15, 135, 11220, 7260};
    TwipsRect WebBrowser1{105, 225, 11055, 5070};
    TwipsRect Frame5{90, 5385, 11085, 1845};
    TwipsRect command2{8325, 7485, 870, 345};
    TwipsRect command3{9345, 7485, 870, 345};
    TwipsRect command4{10320, 7470, 870, 360};
    TwipsRect Command7{9165, 7500, 1755, 270};
    friend bool operator==(const WizardGeometry&, const WizardGeometry&) = default;
};

// The client area of the window as created.
inline constexpr int kWizardClientWidth = 11265;
inline constexpr int kWizardClientHeight = 8310;
inline constexpr int kWizardStatusBarHeight = 315;
// The width of a sizable window's border on each side.
inline constexpr int kNominalBorderTwips = 60;

// Lays the controls out for a window of outer width W and height H (border and caption
// included). Each assignment is one step; a step that would give a negative width or height
// is skipped and the next steps still run.
void LayoutWizard(WizardGeometry& g, int W, int H);

} // namespace sitecapture
