#include "split/SplitCommand.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "cli/CommandLine.h"
#include "runs/ConsoleUi.h"
#include "runs/RunTimer.h"
#include "split/SplitIntoBooks.h"
#include "split/SplitIntoSheets.h"

namespace lorvane::split {

namespace fs = std::filesystem;

namespace {

struct SplitArguments {
    bool books = false;
    std::string file, output;
    SplitRequest request;
};

// Parses the arguments; on a mistake returns what is wrong.
std::optional<std::string> parse(int argc, char** argv, SplitArguments& a) {
    a.books = std::string_view(argv[0]) == "split-books";
    std::set<std::string> valueOptions = {"--sheet", "--key", "--title-rows", "--max-rows", "--max-columns", "--footer-rows"};
    if (!a.books) valueOptions.insert("--output");
    cli::Arguments args;
    if (auto problem = cli::parseArguments(argc, argv, valueOptions, {"--keep-footer"}, args)) return problem;
    if (args.positional.empty()) return std::string("缺少要拆分的工作薄文件。");
    a.file = args.positional.front();
    if (!args.take("--sheet", a.request.sheetName)) return std::string("缺少 --sheet（总表名称）。");
    if (!args.take("--key", a.request.keyColumn)) return std::string("缺少 --key（拆分依据列）。");
    if (!args.take("--title-rows", a.request.titleRows)) return std::string("缺少 --title-rows（标题行数）。");
    args.take("--max-rows", a.request.maxRows);
    args.take("--max-columns", a.request.maxColumns);
    bool footerGiven = args.take("--footer-rows", a.request.footerRows);
    if (!a.books && !args.take("--output", a.output)) return std::string("缺少 --output（结果工作薄）。");
    bool keepFooter = args.has("--keep-footer");
    if (keepFooter && !footerGiven) return std::string("--keep-footer 要与 --footer-rows 一起使用。");
    a.request.footerFlag = footerGiven ? "是" : "否";
    a.request.keep = keepFooter ? "是" : "否";
    return std::nullopt;
}

}  // namespace

const char* splitCommandHelp() {
    return "拆分总表：\n"
           "  lorvane split-sheets 文件 --sheet 总表名称 --key 列 --title-rows N [--max-rows N] [--max-columns N]\n"
           "                       [--footer-rows N [--keep-footer]] --output 结果.xlsx\n"
           "      按拆分依据列的值把总表拆分成同一工作薄中的多个工作表，结果另存为 --output（源文件不会被改写）。\n"
           "  lorvane split-books 文件 --sheet 总表名称 --key 列 --title-rows N [--max-rows N] [--max-columns N]\n"
           "                      [--footer-rows N [--keep-footer]]\n"
           "      按拆分依据列的值把总表拆分成多个工作薄，保存在源文件旁边的“分表”文件夹中。\n"
           "  --key           拆分依据列：列号（如 3）或大写列字母（如 C）\n"
           "  --title-rows    标题行数，没有标题行时为 0\n"
           "  --max-rows      最大行数（含表底文字行），不填时自动查找\n"
           "  --max-columns   最大列数，不填时按标题行自动查找\n"
           "  --footer-rows   表格底部的表底文字行数\n"
           "  --keep-footer   拆分后在每个分表下保留表底文字\n"
           "  提示信息输出到标准错误，写出的文件路径输出到标准输出；拆分被拒绝或失败时退出码不为 0。\n";
}

int runSplitCommand(int argc, char** argv) {
    SplitArguments args;
    if (argc < 1) return 2;
    if (cli::wantsHelp(argc, argv)) {
        std::cout << splitCommandHelp();
        return 0;
    }
    if (auto problem = parse(argc, argv, args)) {
        std::cerr << *problem << "\n\n" << splitCommandHelp();
        return 2;
    }
    runs::ConsoleUi ui;
    if (auto problem = checkSplitOptions(args.request.sheetName, args.request.keyColumn, args.request.titleRows)) {
        ui.inform(problem->text);
        return 1;
    }
    if (!args.books && cli::sameFile(cli::savedXlsxPath(args.output), fs::absolute(args.file))) {
        ui.inform("结果工作薄不能保存在源文件“" + args.file + "”上：源文件不会被改写，请换一个 --output。");
        return 1;
    }

    return cli::finishCommand(ui, "拆分", args.output, [&](Application& app) {
        cli::CommandResult r;
        Workbook* source = app.Workbooks().Open(args.file);
        runs::RunProgress progress(&ui);
        r.outcome = args.books ? splitIntoBooks(args.request, app, *source, source->FullName(), &progress)
                               : splitIntoSheets(args.request, app, *source, &progress);
        if (!args.books) r.toSave = source;
        return r;
    });
}

}  // namespace lorvane::split
