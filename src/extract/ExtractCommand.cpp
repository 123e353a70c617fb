#include "extract/ExtractCommand.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "automation/Application.h"
#include "automation/Workbook.h"
#include "cli/CommandLine.h"
#include "extract/ExtractColumns.h"
#include "runs/ConsoleUi.h"

namespace lorvane::extract {

namespace fs = std::filesystem;

namespace {

struct ExtractArguments {
    std::string file, output;
    ExtractRequest request;
};

std::optional<std::string> parse(int argc, char** argv, ExtractArguments& a) {
    cli::Arguments args;
    if (auto problem = cli::parseArguments(argc, argv, {"--sheet", "--title-rows", "--columns", "--method", "--to", "--output"},
                                           {}, args))
        return problem;
    if (args.positional.empty()) return std::string("缺少要提取的工作薄文件。");
    a.file = args.positional.front();
    if (!args.take("--sheet", a.request.sheetName)) return std::string("缺少 --sheet（要提取的工作表名称）。");
    if (!args.take("--title-rows", a.request.titleRows)) return std::string("缺少 --title-rows（标题行数）。");
    std::string columns;
    if (!args.take("--columns", columns)) return std::string("缺少 --columns（要提取的列，如 B,C,F 或 2,3,6）。");
    if (auto problem = parseColumnList(columns, a.request.columns)) return problem;
    std::string method = "values", to = "book";
    args.take("--method", method);
    args.take("--to", to);
    if (method == "values") a.request.method = ExtractMethod::Values;
    else if (method == "delete") a.request.method = ExtractMethod::DeleteColumns;
    else return "--method 只能是 values（只提取选中列中的数据）或 delete（通过删除未选中列），不能是“" + method + "”。";
    if (to == "book") a.request.target = ExtractTarget::NewWorkbook;
    else if (to == "sheet") a.request.target = ExtractTarget::SameWorkbook;
    else return "--to 只能是 book（提取到新建的工作薄）或 sheet（提取到本工作薄），不能是“" + to + "”。";
    bool hasOutput = args.take("--output", a.output);
    if (a.request.target == ExtractTarget::SameWorkbook && !hasOutput)
        return std::string("--to sheet 要与 --output 一起使用：源文件不会被改写，带提取表的工作薄另存为 --output。");
    if (a.request.target == ExtractTarget::NewWorkbook) a.request.outputPath = a.output;
    return std::nullopt;
}

}  // namespace

const char* extractCommandHelp() {
    return "提取指定列：\n"
           "  lorvane extract 文件 --sheet 工作表名称 --title-rows N --columns 列,列,… [--method values|delete]\n"
           "                  [--to book|sheet] [--output 结果.xlsx]\n"
           "      把工作表中选中的列提取到“工作表名称提取表”。\n"
           "  --columns       要提取的列：大写列字母或列号，用逗号分隔，如 B,C,F 或 2,3,6（按列的顺序提取，重复的只取一次）\n"
           "  --title-rows    标题行数，没有标题行时为 0\n"
           "  --method        values：只提取选中列中的数据（默认，公式变成值）；delete：通过删除未选中列（保留公式和格式）\n"
           "  --to            book：提取到新建的工作薄（默认），保存为 --output，不填时保存在源文件旁边的“文件名提取表.xlsx”；\n"
           "                  sheet：提取到本工作薄，带提取表的工作薄另存为 --output（必填，不能是源文件）\n"
           "  提示信息输出到标准错误，写出的文件路径输出到标准输出；提取被拒绝或失败时退出码不为 0。\n";
}

int runExtractCommand(int argc, char** argv) {
    if (argc < 1) return 2;
    if (cli::wantsHelp(argc, argv)) {
        std::cout << extractCommandHelp();
        return 0;
    }
    ExtractArguments args;
    if (auto problem = parse(argc, argv, args)) {
        std::cerr << *problem << "\n\n" << extractCommandHelp();
        return 2;
    }
    runs::ConsoleUi ui;
    if (!args.output.empty() && cli::sameFile(cli::savedXlsxPath(args.output), fs::absolute(args.file))) {
        ui.inform("提取结果不能保存在源文件“" + args.file + "”上：源文件不会被改写，请换一个 --output。");
        return 1;
    }
    const bool sameBook = args.request.target == ExtractTarget::SameWorkbook;
    return cli::finishCommand(ui, "提取", args.output, [&](Application& app) {
        cli::CommandResult r;
        Workbook* source = app.Workbooks().Open(args.file);
        r.outcome = extractColumns(args.request, app, *source);
        if (sameBook) r.toSave = source;
        return r;
    });
}

}  // namespace lorvane::extract
