#pragma once
// Small pieces the options windows share.
#include <QComboBox>
#include <QLabel>
#include <vector>

#include "shell/InfoWindows.h"
#include "shell/Session.h"
#include "shell/TableLayoutInputs.h"

namespace lorvane::shell {

// 举例 shows the example window T beside the form; the form's surface unloads it.
template <class T>
void bindExample(Form& form, Session& session) {
    bindExampleButton(
        form,
        [&form, &session] {
            if (session.find<T>()) return;
            session.load<T>()->showBeside(&form);
        },
        [&session] { session.unload<T>(); });
}

// A bold heading label.
inline QLabel* heading(Form& form, const char* name, const QString& text, int x, int y, int w, int h, int points = 14) {
    QLabel* l = form.label(name, text, x, y, w, h, points);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

// The sheet names as items, the prompt as the box's text (not an item).
inline void fillSheetList(QComboBox* list, const QString& prompt, const std::vector<std::string>& names) {
    for (const auto& n : names) list->addItem(qs(n));
    list->setEditText(prompt);
}

// The window's own close button and the window system's close do the same.
inline void bindClose(Form& form, std::function<void()> close) {
    if (QWidget* b = form.control("关闭")) form.onClick(b, close);
    form.setCloseHandler(std::move(close));
}

}  // namespace lorvane::shell
