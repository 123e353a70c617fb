#pragma once
// The layout of the windows that offer two operations: a heading, two big buttons on the left
// and, on the right, the panel 说明 that explains the button under the mouse.
namespace lorvane::shell {

class Form;

struct ChooserChoice {
    const char* name;         // the button's objectName
    const char* caption;
    const char* description;  // shown while the mouse is over the button
};

struct ChooserLayout {
    const char* heading;
    ChooserChoice choices[2];  // top, bottom
    int buttonWidth, buttonPoints;
    int panelX, panelWidth, panelPoints;
};

// Places the heading, the buttons and the panel on `form` and binds the descriptions; the
// form's free surface brings back the idle text.
void layOutChooser(Form& form, const ChooserLayout& layout);

}  // namespace lorvane::shell
