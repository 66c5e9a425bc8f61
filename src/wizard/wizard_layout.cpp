#include "wizard/wizard_layout.h"

namespace sitecapture {
namespace {

// A size assignment that the control refuses when negative.
void SetSize(int& size, int value)
{
    if (value >= 0)
        size = value;
}

} // namespace

void LayoutWizard(WizardGeometry& g, int W, int H)
{
    g.Frame1.left = 15;
    g.Frame1.top = 45;
    SetSize(g.Frame1.width, W - 135);
    SetSize(g.Frame1.height, H - 1140);
    for (TwipsRect* frame : {&g.Frame2, &g.Frame4}) {
        frame->top = g.Frame1.top;
        frame->left = g.Frame1.left;
        SetSize(frame->width, g.Frame1.width);
        SetSize(frame->height, g.Frame1.height);
    }
    SetSize(g.WebBrowser1.width, g.Frame1.width - 180);
    SetSize(g.WebBrowser1.height, g.Frame1.height - g.Frame5.height - 400);
    g.Frame5.top = g.Frame2.height - 1905;
    g.Frame5.left = 75;
    SetSize(g.Frame5.width, g.Frame2.width - 150);
    g.command2.top = g.Frame1.top + g.Frame1.height + 50;
    g.command3.top = g.command2.top;
    g.command4.top = g.command2.top;
    g.command4.left = W - g.command4.width - 150;
    g.command3.left = g.command4.left - g.command3.width - 30;
    g.command2.left = g.command3.left - g.command2.width - 30;
    g.Command7.top = g.Frame4.height - g.Command7.height - 50;
    g.Command7.left = g.Frame4.width - g.Command7.width - 100;
}

} // namespace sitecapture
