#include "compare/CompareCommand.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "automation/Application.h"
#include "automation/Workbook.h"
#include "cli/CommandLine.h"
#include "compare/CompareTables.h"
#include "compare/FillTable.h"
#include "runs/ConsoleUi.h"

namespace lorvane::compare {

namespace fs = std::filesystem;

namespace {

struct CompareArguments {
    bool fill = false;
    std::string output;
    TwoTableTexts texts;
};

std::optional<std::string> parse(int argc, char** argv, CompareArguments& a) {
    a.fill = std::string_view(argv[0]) == "fill";
    std::set<std::string> valueOptions = {"--sheet1",       "--title-rows1", "--key1",   "--footer-rows1", "--book2",
                                          "--sheet2",       "--title-rows2", "--key2",   "--footer-rows2", "--output"};
    if (a.fill) valueOptions.insert({"--fill-columns", "--source-columns"});
    else valueOptions.insert("--mode");
    cli::Arguments args;
    if (auto problem = cli::parseArguments(argc, argv, valueOptions, {}, args)) return problem;
    TwoTableTexts& t = a.texts;
    if (args.positional.empty()) return std::string(a.fill ? "缺少要填充的工作薄文件。" : "缺少要对比的工作薄文件。");
    t.book1 = args.positional.front();
    if (!args.take("--sheet1", t.sheet1)) return std::string("缺少 --sheet1（表格一的工作表名称）。");
    if (!args.take("--title-rows1", t.titleRows1)) return std::string("缺少 --title-rows1（表格一的标题行数）。");
    if (!args.take("--key1", t.key1)) return std::string("缺少 --key1（表格一的依据列）。");
    t.footer1 = args.take("--footer-rows1", t.footerRows1) ? "是" : "否";
    t.sameWorkbook = args.take("--book2", t.book2) ? "否" : "是";
    if (t.sameWorkbook == "是") t.book2 = t.book1;
    if (!args.take("--sheet2", t.sheet2)) return std::string("缺少 --sheet2（表格二的工作表名称）。");
    if (!args.take("--title-rows2", t.titleRows2)) return std::string("缺少 --title-rows2（表格二的标题行数）。");
    if (!args.take("--key2", t.key2)) return std::string("缺少 --key2（表格二的依据列）。");
    t.footer2 = args.take("--footer-rows2", t.footerRows2) ? "是" : "否";
    if (a.fill) {
        if (!args.take("--fill-columns", t.fillColumns)) return std::string("缺少 --fill-columns（填充列号）。");
        if (!args.take("--source-columns", t.sourceColumns)) return std::string("缺少 --source-columns（调用列号）。");
    } else {
        std::string mode = "mark";
        args.take("--mode", mode);
        if (mode == "mark") t.mode = kModeMark;
        else if (mode == "not-found") t.mode = kModeNotFound;
        else if (mode == "found") t.mode = kModeFound;
        else if (mode == "both") t.mode = kModeBoth;
        else return "--mode 只能是 mark、not-found、found 或 both，不能是“" + mode + "”。";
    }
    if (!args.take("--output", a.output)) return std::string("缺少 --output（结果工作薄）。");
    return std::nullopt;
}

}  // namespace

const char* compareCommandHelp() {
    return "对比、调用两个表格：\n"
           "  lorvane compare 文件1 --sheet1 表名 --title-rows1 N --key1 列 [--footer-rows1 N]\n"
           "                  [--book2 文件2] --sheet2 表名 --title-rows2 N --key2 列 [--footer-rows2 N]\n"
           "                  [--mode mark|not-found|found|both] --output 结果.xlsx\n"
           "      按对比列对比两个表格：mark（默认）把“存在”/“不存在”写在表格一最后一列的右边；not-found、found、both\n"
           "      把“不存在”、“存在”或两种数据行提取到新建工作表中。结果是带对比结果的文件1，另存为 --output。\n"
           "  lorvane fill 文件1 --sheet1 表名 --title-rows1 N --key1 列 [--footer-rows1 N] --fill-columns 列表\n"
           "               [--book2 文件2] --sheet2 表名 --title-rows2 N --key2 列 [--footer-rows2 N]\n"
           "               --source-columns 列表 --output 结果.xlsx\n"
           "      按依据列从表格二查找并调用数据，填充到表格一的副本“表名（填充结果）”中，另存为 --output。\n"
           "  不写 --book2 时两个表格都在文件1中；--key1/--key2 为列号（如 3）或大写列字母（如 C）；\n"
           "  列表为逗号分隔的列号或列字母（如 C,E,F 或 3,5,6），填充列与调用列一一对应。\n"
           "  提示信息输出到标准错误，写出的文件路径输出到标准输出；输入文件不会被改写，被拒绝或失败时退出码不为 0。\n";
}

int runCompareCommand(int argc, char** argv) {
    if (argc < 1) return 2;
    if (cli::wantsHelp(argc, argv)) {
        std::cout << compareCommandHelp();
        return 0;
    }
    CompareArguments args;
    if (auto problem = parse(argc, argv, args)) {
        std::cerr << *problem << "\n\n" << compareCommandHelp();
        return 2;
    }
    runs::ConsoleUi ui;
    const TwoTableTexts& t = args.texts;
    const TwoTableKind kind = args.fill ? TwoTableKind::Fill : TwoTableKind::Compare;
    if (auto problem = checkTexts(t, kind)) {
        ui.inform(*problem);
        return 1;
    }
    const fs::path out = cli::savedXlsxPath(args.output);
    for (const std::string* input : {&t.book1, &t.book2})
        if (cli::sameFile(out, fs::absolute(*input))) {
            ui.inform("结果工作薄不能保存在输入文件“" + *input + "”上：输入文件不会被改写，请换一个 --output。");
            return 1;
        }

    CompareCounts compared;
    FillCounts filled;
    const std::string operation = args.fill ? "填充" : "对比";
    int status = cli::finishCommand(ui, operation, args.output, [&](Application& app) {
        cli::CommandResult r;
        Workbook* book1 = app.Workbooks().Open(t.book1);
        Workbook* book2 = t.sameWorkbook == "是" ? nullptr : app.Workbooks().OpenInput(t.book2);
        TwoTablePlan plan;
        if (auto refusal = planTwoTables(t, kind, book1, book2, plan)) {
            r.outcome = runs::RunOutcome::refused(*refusal);
            return r;
        }
        r.outcome = args.fill ? fillTable(plan, app, &filled, &ui) : compareTables(plan, app, &compared, &ui);
        if (r.outcome.ok()) {
            closeSecondWorkbook(plan);
            r.toSave = book1;
        }
        return r;
    });
    if (status == 0) {
        if (args.fill)
            ui.inform("找到 " + std::to_string(filled.matched) + " 行并已填充，" + std::to_string(filled.unmatched) +
                      " 行在调用表格中没有找到。");
        else
            ui.inform("存在 " + std::to_string(compared.found) + " 行，不存在 " + std::to_string(compared.notFound) + " 行。");
    }
    return status;
}

}  // namespace lorvane::compare
