// The table-layout inputs of every options window, row by row of their differences.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DesktopFixture.h"
#include "compare/CompareWindows.h"
#include "split/SplitOptionsWindow.h"
#include "summarize/SummarizeWindows.h"

namespace lorvane::shell::testing {
namespace {

const char* const kTitleEmpty = "请输入标题行数，如没有标题的，请输入“0”！";
const char* const kTitleNaN = "您输入的标题行数不是数字，请重新输入！";
const char* const kFooterNaN = "您输入的表底行数不是数字，请重新输入！";

struct InstanceRow {
    const char* name;
    std::function<Form*(Session&)> open;
    const char* title;
    const char* afterTitle;
    const char* key;  // nullptr: none
    const char* keyField;
    bool upperCases;
    const char* maxColumns;
    const char* maxColumnsMessage;  // nullptr: no check
    bool refocus;
    const char* maxRows;
    const char* maxRowsMessage;
    const char* footer;
    const char* footerRows;
    const char* footerRowsLabel;
    const char* keep;  // nullptr: none
    bool clears;
    const char* afterFooterRows;
    const char* afterFooterNo;
    const char* titleEmpty;
    const char* titleNaN;
    const char* footerNaN;
    const char* example;
};

template <class T>
Form* opener(Session& s) { return s.load<T>(); }

const std::vector<InstanceRow>& rows() {
    static const std::vector<InstanceRow> r = {
        {"汇总工作薄", opener<summarize::SummarizeSheetsWindow>, "标题行数", "表底文字", "依据列", "依据列", false, "最大列数",
         "您输入的【最大列数】不是数字，请重新输入！", true, nullptr, nullptr, "表底文字", "表底文字行数", "Label8", "是否保留",
         false, "是否保留", "确定", kTitleEmpty, kTitleNaN, kFooterNaN, "填写例子"},
        {"汇总多工作薄", opener<summarize::SummarizeBooksWindow>, "标题行数", "表底文字", "依据列", "依据列", true, "最大列数",
         "您输入的【最大列数】不是数字，请重新输入！", true, nullptr, nullptr, "表底文字", "表底文字行数", "Label8", "是否保留",
         true, "是否保留", "确定", kTitleEmpty, kTitleNaN, kFooterNaN, "填写例子"},
        {"合计", opener<summarize::TotalsWindow>, "标题行数", "合计类型", nullptr, nullptr, false, nullptr, nullptr, false,
         "最大行数", nullptr, "表底文字", "表底文字行数", "Label8", nullptr, true, "表底文字行数", "确定", kTitleEmpty,
         kTitleNaN, kFooterNaN, "合计填写例子"},
        {"拆分成分表", opener<split::SplitSheetsOptionsWindow>, "标题行数", "表底文字", "依据列", "拆分依据列", false, "最大列数",
         "您输入的最大列数不是数字，请重新输入！", false, "最大行数", "您输入的最大行数不是数字，请重新输入！", "表底文字",
         "表底文字行数", "Label8", "是否保留", true, "是否保留", "确定", kTitleEmpty, kTitleNaN, kFooterNaN, "拆分填写例子"},
        {"拆分成单薄", opener<split::SplitBooksOptionsWindow>, "标题行数", "表底文字", "依据列", "拆分依据列", false, "最大列数",
         "您输入的最大列数不是数字，请重新输入！", false, "最大行数", "您输入的最大行数不是数字，请重新输入！", "表底文字",
         "表底文字行数", "Label8", "是否保留", true, "是否保留", "确定", kTitleEmpty, kTitleNaN, kFooterNaN, "拆分填写例子"},
        {"对比 表格一", opener<compare::CompareWindow>, "标题行数1", "对比列1", "对比列1", "对比列", false, nullptr, nullptr,
         false, nullptr, nullptr, "表底文字1", "表底文字行数1", "Label6", nullptr, true, "表名2", "表名2", kTitleEmpty,
         kTitleNaN, kFooterNaN, "对比例子"},
        {"对比 表格二", opener<compare::CompareWindow>, "标题行数2", "对比列2", "对比列2", "对比列", false, nullptr, nullptr,
         false, nullptr, nullptr, "表底文字2", "表底文字行数2", "Label9", nullptr, true, "显示方式", "显示方式", kTitleEmpty,
         kTitleNaN, kFooterNaN, "对比例子"},
        {"调用 填充表格", opener<compare::FillWindow>, "标题行数1", "依据列1", "依据列1", "依据列", false, nullptr, nullptr,
         false, nullptr, nullptr, "表底文字1", "表底文字行数1", "Label6", nullptr, true, "填充列号", "表名2",
         "请输入【标题行数】，如没有标题的，请输入“0”！", "您输入的【标题行数】不是数字，请重新输入！",
         "您输入的【表底文字行数】不是数字，请重新输入！", "调用例子"},
        {"调用 调用表格", opener<compare::FillWindow>, "标题行数2", "依据列2", "依据列2", "依据列", false, nullptr, nullptr,
         false, nullptr, nullptr, "表底文字2", "表底文字行数2", "Label9", nullptr, true, "调用列号", "调用列号",
         "请输入【标题行数】，如没有标题的，请输入“0”！", "您输入的【标题行数】不是数字，请重新输入！",
         "您输入的【表底文字行数】不是数字，请重新输入！", "调用例子"},
    };
    return r;
}

class LayoutTest : public DesktopTest {
protected:
    Form* open(const InstanceRow& r) {
        ui.messages.clear();
        Form* w = r.open(*session);
        activate(w);
        return w;
    }
    void done(Form* w) {
        delete w;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void choose(Form* w, const char* combo, int index) {
        auto* c = child<QComboBox>(w, combo);
        c->setCurrentIndex(index);
        w->fireClick(c);
    }
};

TEST_F(LayoutTest, TitleRowsMoveTheFocusOnAndComplainWhenCleared) {
    for (const auto& r : rows()) {
        SCOPED_TRACE(r.name);
        Form* w = open(r);
        auto* title = child<QLineEdit>(w, r.title);
        title->setFocus();
        QTest::keyClicks(title, "2");
        EXPECT_EQ(focusName(w), QString::fromUtf8(r.afterTitle));
        EXPECT_TRUE(ui.messages.empty());
        title->setFocus();
        title->end(false);
        QTest::keyClick(title, Qt::Key_Backspace);
        EXPECT_EQ(ui.texts(), (std::vector<std::string>{r.titleEmpty, r.titleNaN}));
        EXPECT_EQ(focusName(w), QString::fromUtf8(r.afterTitle));
        done(w);
    }
}

TEST_F(LayoutTest, KeyColumnChecksNameTheirField) {
    for (const auto& r : rows()) {
        if (!r.key) continue;
        SCOPED_TRACE(r.name);
        Form* w = open(r);
        const std::string f = r.keyField;
        const std::pair<const char*, std::string> entries[] = {
            {"C", ""}, {"AB", ""}, {"XFD", ""}, {"3", ""}, {"0", ""}, {"2.5", ""}, {"", ""},
            {"ABCD", "您输入的【" + f + "】错误，请重新输入！"},
            {"c", r.upperCases ? "" : "您输入的【" + f + "】不是数字或大字字母，请重新输入！"},
            {" c ", r.upperCases ? "" : "您输入的【" + f + "】不是数字或大字字母或输入有误，请重新输入！"},
            {"A1", "您输入的【" + f + "】不是数字或大字字母或输入有误，请重新输入！"},
            {"列", "您输入的【" + f + "】不是数字或大字字母，请重新输入！"},
        };
        QWidget* key = child(w, r.key);
        for (const auto& [text, message] : entries) {
            ui.messages.clear();
            setTextOf(key, QString::fromUtf8(text));
            w->fireLostFocus(key);
            EXPECT_EQ(ui.texts(), message.empty() ? std::vector<std::string>{} : std::vector<std::string>{message}) << text;
        }
        done(w);
    }
}

TEST_F(LayoutTest, MaximumBoxesWarnAndSomeKeepTheFocus) {
    for (const auto& r : rows()) {
        SCOPED_TRACE(r.name);
        Form* w = open(r);
        for (auto [box, message, refocus] : {std::tuple{r.maxColumns, r.maxColumnsMessage, r.refocus},
                                             std::tuple{r.maxRows, r.maxRowsMessage, false}}) {
            if (!box) continue;
            ui.messages.clear();
            auto* edit = child<QLineEdit>(w, box);
            edit->setFocus();
            child(w, r.footer)->setFocus(Qt::TabFocusReason);  // leave it empty
            QCoreApplication::processEvents();                 // a refocus waits for the move to end
            if (!message) {
                EXPECT_TRUE(ui.messages.empty()) << box;
                continue;
            }
            EXPECT_EQ(ui.texts(), std::vector<std::string>{message}) << box;
            EXPECT_EQ(focusName(w), QString::fromUtf8(refocus ? box : r.footer)) << box;
            ui.messages.clear();
            edit->setText("12");
            edit->setFocus();
            child(w, r.footer)->setFocus(Qt::TabFocusReason);
            EXPECT_TRUE(ui.messages.empty()) << box;
        }
        done(w);
    }
}

TEST_F(LayoutTest, FooterChoiceShowsAndHidesItsGroup) {
    for (const auto& r : rows()) {
        SCOPED_TRACE(r.name);
        Form* w = open(r);
        QWidget* rowsBox = child(w, r.footerRows);
        QWidget* label = child(w, r.footerRowsLabel);
        EXPECT_TRUE(rowsBox->isHidden());
        EXPECT_TRUE(label->isHidden());
        if (r.keep) EXPECT_TRUE(child(w, r.keep)->isHidden());

        choose(w, r.footer, 1);  // 是
        EXPECT_FALSE(rowsBox->isHidden());
        EXPECT_FALSE(label->isHidden());
        if (r.keep) {
            EXPECT_FALSE(child(w, r.keep)->isHidden());
            EXPECT_FALSE(child(w, "Label9")->isHidden());
        }
        EXPECT_EQ(focusName(w), QString::fromUtf8(r.footerRows));
        QTest::keyClicks(rowsBox, "3");
        EXPECT_EQ(focusName(w), QString::fromUtf8(r.afterFooterRows));
        if (r.keep) {
            choose(w, r.keep, 1);
            EXPECT_EQ(focusName(w), QStringLiteral("确定"));
        }

        choose(w, r.footer, 0);  // 否
        EXPECT_TRUE(rowsBox->isHidden());
        EXPECT_TRUE(label->isHidden());
        if (r.keep) {
            EXPECT_TRUE(child(w, r.keep)->isHidden());
            EXPECT_EQ(textOf(child(w, r.keep)), QStringLiteral("是"));  // kept while hidden
        }
        EXPECT_EQ(textOf(rowsBox), r.clears ? QString() : QStringLiteral("3"));
        EXPECT_EQ(focusName(w), QString::fromUtf8(r.afterFooterNo));
        choose(w, r.footer, 1);
        EXPECT_EQ(textOf(rowsBox), r.clears ? QString() : QStringLiteral("3"));

        ui.messages.clear();
        {
            QSignalBlocker quiet(rowsBox);
            setTextOf(rowsBox, "x");
        }
        w->fireLostFocus(rowsBox);
        EXPECT_EQ(ui.texts(), std::vector<std::string>{r.footerNaN});
        done(w);
    }
}

TEST_F(LayoutTest, TypedFooterChoiceShowsWithoutMovingTheFocusExceptOnTableTwo) {
    for (const auto& r : rows()) {
        SCOPED_TRACE(r.name);
        Form* w = open(r);
        QWidget* title = child(w, r.title);
        title->setFocus();
        child<QComboBox>(w, r.footer)->setEditText(QStringLiteral("是"));
        EXPECT_FALSE(child(w, r.footerRows)->isHidden());
        const bool tableTwo = std::string(r.footer) == "表底文字2";
        EXPECT_EQ(focusName(w), QString::fromUtf8(tableTwo ? r.footerRows : r.title));
        done(w);
    }
}

TEST_F(LayoutTest, ExampleShowsWhileThePointerIsOnTheButton) {
    for (const auto& r : rows()) {
        SCOPED_TRACE(r.name);
        Form* w = open(r);
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(child(w, "举例"), &move);
        Form* example = session->findByName(r.example);
        ASSERT_NE(example, nullptr);
        EXPECT_TRUE(example->isVisible());
        EXPECT_FALSE(example->findChild<QLabel*>("Image1")->pixmap().isNull());
        QApplication::sendEvent(w, &move);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(session->findByName(r.example), nullptr);
        w->fireClick(child(w, "举例"));
        EXPECT_NE(session->findByName(r.example), nullptr);
        session->findByName(r.example)->unload();
        done(w);
    }
}

TEST_F(LayoutTest, OkDoesNothingYetOnTheWindowsOfOperationsStillToCome) {
    for (const auto& r : rows()) {
        SCOPED_TRACE(r.name);
        // Their OK checks are tested with their operations.
        if (std::string(r.name).find("拆分") != std::string::npos || std::string(r.name) == "汇总工作薄" ||
            std::string(r.name) == "汇总多工作薄" || std::string(r.name) == "合计" ||
            std::string(r.name).rfind("对比", 0) == 0 || std::string(r.name).rfind("调用", 0) == 0)
            continue;
        Form* w = open(r);
        w->fireClick(child(w, "确定"));
        static_cast<QPushButton*>(child(w, "确定"))->click();
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(w->isVisible());
        done(w);
    }
}

}  // namespace
}  // namespace lorvane::shell::testing
