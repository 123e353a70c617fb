#include "shell/ChooserLayout.h"

#include <QLabel>

#include "shell/WindowKit.h"

namespace lorvane::shell {

namespace {

const char* const kIdle = "     请将鼠标移到按钮上查看功能说明！";

void describe(Form& form, const char* text, int points) {
    auto* d = form.control<QLabel>("说明");
    d->setVisible(true);
    d->setText("\n" + QString::fromUtf8(text));
    QFont f = d->font();
    f.setPointSize(points);
    d->setFont(f);
}

}  // namespace

void layOutChooser(Form& form, const ChooserLayout& layout) {
    heading(form, "Label1", QString::fromUtf8(layout.heading), 30, 16, 560, 34, 16)->setAlignment(Qt::AlignCenter);
    const int buttonY[2] = {80, 170};
    for (int i = 0; i < 2; ++i) {
        const ChooserChoice& c = layout.choices[i];
        form.button(c.name, QString::fromUtf8(c.caption), 40, buttonY[i], layout.buttonWidth, 56, layout.buttonPoints);
    }
    QLabel* d = form.label("说明", QString(), layout.panelX, 70, layout.panelWidth, 250, layout.panelPoints);
    d->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    d->setFrameShape(QFrame::StyledPanel);
    const int points = layout.panelPoints;
    describe(form, kIdle, points);
    form.onMouseMove(&form, [&form, points] { describe(form, kIdle, points); });
    for (const ChooserChoice& c : layout.choices) {
        const char* text = c.description;
        form.onMouseMove(form.control(c.name), [&form, text, points] { describe(form, text, points); });
    }
}

}  // namespace lorvane::shell
