// The windows that offer two operations: their layout, and the panel that explains the button
// under the mouse.
#include <QLabel>
#include <QPushButton>

#include "DesktopFixture.h"
#include "compare/CompareWindows.h"
#include "extract/ExtractWindows.h"
#include "summarize/SummarizeWindows.h"

namespace lorvane::shell::testing {
namespace {

const char* const kIdle = "\n     请将鼠标移到按钮上查看功能说明！";

struct ChoiceRow {
    const char* name;
    const char* caption;
    const char* description;
};

struct ChooserRow {
    const char* window;
    const char* heading;
    ChoiceRow choices[2];
    int buttonWidth, buttonPoints;
    QRect panel;
    int panelPoints;
};

void checkChooser(Form* w, const ChooserRow& r) {
    auto child = [w](const char* name) { return w->findChild<QWidget*>(QString::fromUtf8(name)); };
    auto* heading = qobject_cast<QLabel*>(child("Label1"));
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->text(), QString::fromUtf8(r.heading));
    EXPECT_EQ(heading->geometry(), QRect(30, 16, 560, 34));
    EXPECT_EQ(heading->font().pointSize(), 16);
    EXPECT_TRUE(heading->font().bold());
    EXPECT_EQ(heading->alignment(), Qt::AlignCenter);
    auto* d = qobject_cast<QLabel*>(child("说明"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->geometry(), r.panel);
    EXPECT_EQ(d->text(), QString::fromUtf8(kIdle));
    EXPECT_EQ(d->font().pointSize(), r.panelPoints);
    EXPECT_EQ(d->alignment(), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(d->frameShape(), QFrame::StyledPanel);
    for (int i = 0; i < 2; ++i) {
        const ChoiceRow& c = r.choices[i];
        SCOPED_TRACE(c.name);
        auto* b = qobject_cast<QPushButton*>(child(c.name));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(b->geometry(), QRect(40, i == 0 ? 80 : 170, r.buttonWidth, 56));
        EXPECT_EQ(b->font().pointSize(), r.buttonPoints);
        w->fireMouseMove(b);
        EXPECT_EQ(d->text(), "\n" + QString::fromUtf8(c.description));
        EXPECT_EQ(d->font().pointSize(), r.panelPoints);
        w->fireMouseMove(w);
        EXPECT_EQ(d->text(), QString::fromUtf8(kIdle));
    }
}

TEST_F(DesktopTest, ChoosersLayOutTheirButtonsAndDescribeThem) {
    const ChooserRow compare = {
        "对比调用", "请选择您需要的功能",
        {{"对比数据", "对比两个表格数据",
          "     当有两个表格时，需要对比两个表中的数据否存在包含关系，并将对比结果存放在最后列里或提取到新建工作表中！"},
         {"填充数据", "查询并填充表格数据",
          "     当有两个表格时，一个表中的数据需要某个关键字从另一个表格中查找并调用过来进行填充！"}},
        200, 14, QRect(270, 70, 320, 250), 18};
    const ChooserRow summarize = {
        "汇总多工作薄", "请选择您需要的功能",
        {{"汇总信息", "汇总表格信息",
          "     当有结构一样的数据信息时，需要将表格中的【信息】进行汇总（即“复制”）到一张总表上！"},
         {"汇总数值", "合计表格数值",
          "     当有结构一样的数据表格时，需要将表格中的【数值】进行汇总（即“合计”）到一张总表上！"}},
        200, 14, QRect(270, 70, 320, 250), 18};
    const ChooserRow extract = {
        "提取方法", "请选择提取方法",
        {{"提取数据", "只提取选中列中的数据", "     通过获取所选列的数据，不包含原有的公式和格式等！"},
         {"删除列", "通过删除未选中列", "     通过删除未选择的列，留下的列包含原有的公式和格式等！"}},
        220, 13, QRect(290, 70, 300, 250), 20};
    {
        SCOPED_TRACE(compare.window);
        checkChooser(session->load<compare::CompareChooserWindow>(), compare);
        session->unload<compare::CompareChooserWindow>();
    }
    {
        SCOPED_TRACE(summarize.window);
        checkChooser(session->load<summarize::SummarizeChooserWindow>(), summarize);
        session->unload<summarize::SummarizeChooserWindow>();
    }
    {
        SCOPED_TRACE(extract.window);
        checkChooser(session->load<extract::ExtractMethodWindow>(), extract);
        session->unload<extract::ExtractMethodWindow>();
    }
}

}  // namespace
}  // namespace lorvane::shell::testing
