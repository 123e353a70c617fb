#include "shell/TableLayoutInputs.h"

#include <QComboBox>
#include <QLineEdit>

#include "automation/Conversions.h"
#include "runs/ColumnRef.h"
#include "shell/RunServices.h"

namespace lorvane::shell {

static bool numeric(QWidget* w) { return convert::isNumeric(ss(textOf(w))); }

TableLayoutInputs::TableLayoutInputs(Form& form, UiService& ui, LayoutConfig config)
    : form_(form), ui_(ui), config_(std::move(config)) {
    if (auto* w = get(config_.titleRows)) {
        form_.onChange(w, [this] { titleRowsChanged(); });
        form_.onLostFocus(w, [this] { titleRowsLeft(); });
    }
    if (auto* w = get(config_.keyColumn)) form_.onLostFocus(w, [this] { keyColumnLeft(); });
    if (auto* w = get(config_.maxColumns); w && !config_.maxColumnsMessage.empty())
        form_.onLostFocus(w, [this] { maxLeft(config_.maxColumns, config_.maxColumnsMessage, config_.maxColumnsRefocus); });
    if (auto* w = get(config_.maxRows); w && !config_.maxRowsMessage.empty())
        form_.onLostFocus(w, [this] { maxLeft(config_.maxRows, config_.maxRowsMessage, config_.maxRowsRefocus); });
    if (auto* w = get(config_.footer)) {
        form_.onClick(w, [this] { applyFooterChoice(true); });
        form_.onChange(w, [this] { applyFooterChoice(config_.footerChangeMovesFocus); });
    }
    if (auto* w = get(config_.footerRows)) {
        form_.onChange(w, [this] { footerRowsChanged(); });
        form_.onLostFocus(w, [this] { footerRowsLeft(); });
    }
    if (auto* w = get(config_.keep)) form_.onClick(w, [this] { Form::focusTo(get(config_.ok)); });
    applyFooterChoice(false);
}

void TableLayoutInputs::titleRowsChanged() {
    QWidget* box = get(config_.titleRows);
    if (textOf(box).isEmpty()) {
        ui_.inform(config_.titleEmptyMessage);
        Form::focusTo(box);
    }
    Form::focusTo(get(config_.afterTitleRows));
}

void TableLayoutInputs::titleRowsLeft() {
    if (!numeric(get(config_.titleRows))) ui_.inform(config_.titleNotNumberMessage);
}

void TableLayoutInputs::keyColumnLeft() {
    std::string text = ss(textOf(get(config_.keyColumn)));
    if (config_.keyColumnTrimUpper) text = ss(qs(text).trimmed().toUpper());
    std::string message = runs::keyColumnMessage(text, config_.keyColumnField);
    if (!message.empty()) ui_.inform(message);
}

void TableLayoutInputs::maxLeft(const char* name, const std::string& message, bool refocus) {
    QWidget* box = get(name);
    if (numeric(box)) return;
    ui_.inform(message);
    if (refocus) Form::focusTo(box);
}

void TableLayoutInputs::applyFooterChoice(bool moveFocus) {
    QWidget* footer = get(config_.footer);
    if (!footer) return;
    const bool none = textOf(footer) == QStringLiteral("否");
    QWidget* rows = get(config_.footerRows);
    if (none && config_.footerNoClears && rows) setTextOf(rows, QString());
    for (const char* name : {config_.footerRowsLabel, config_.footerRows, config_.keepLabel, config_.keep})
        if (auto* w = get(name)) w->setVisible(!none);
    if (!moveFocus) return;
    if (none) Form::focusTo(config_.afterFooterNo ? config_.afterFooterNo() : get(config_.ok));
    else Form::focusTo(rows);
}

void TableLayoutInputs::footerRowsChanged() {
    QWidget* footer = get(config_.footer);
    if (!config_.footerRowsChangeAlwaysMoves && footer && textOf(footer) == QStringLiteral("否")) {
        Form::focusTo(get(config_.ok));
        return;
    }
    Form::focusTo(config_.afterFooterRows ? config_.afterFooterRows() : get(config_.keep));
}

void TableLayoutInputs::footerRowsLeft() {
    if (!numeric(get(config_.footerRows))) ui_.inform(config_.footerRowsNotNumberMessage);
}

void bindExampleButton(Form& form, std::function<void()> show, std::function<void()> unload) {
    QWidget* button = form.control("举例");
    if (!button) return;
    form.onClick(button, show);
    form.onMouseMove(button, show);
    form.onMouseMove(&form, std::move(unload));
}

runs::TableLayoutTexts layoutTextsOf(const Form& form) {
    auto t = [&](const char* name) {
        QWidget* w = form.control(name);
        return w ? ss(textOf(w)) : std::string();
    };
    runs::TableLayoutTexts r;
    r.keyColumn = t("依据列");
    r.titleRows = t("标题行数");
    r.maxRows = t("最大行数");
    r.maxColumns = t("最大列数");
    r.footerFlag = t("表底文字");
    r.footerRows = t("表底文字行数");
    r.keep = t("是否保留");
    return r;
}

}  // namespace lorvane::shell
