#include "summarize/SummarizeCommand.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "cli/CommandLine.h"
#include "runs/ConsoleUi.h"
#include "runs/RunTimer.h"
#include "runs/FolderListing.h"
#include "summarize/SummarizeBooks.h"
#include "summarize/SummarizeSheets.h"

namespace lorvane::summarize {

namespace fs = std::filesystem;

const char* summarizeCommandHelp() {
    return "汇总：\n"
           "  lorvane summarize-sheets 文件 --title-rows N [--summary-sheet 名称] [--replace]\n"
           "                           [--footer-rows N [--keep-footer]] [--max-columns N] [--key 列] --output 结果.xlsx\n"
           "      把工作薄中各工作表标题行以下的数据按工作表顺序汇总到一张汇总表（默认“汇总表”），结果另存为\n"
           "      --output（源文件不会被改写）。--replace：工作薄中已有这张汇总表，用新的替换它。\n"
           "  lorvane summarize-books 文件或文件夹 --sheet-number N [--title-rows N] [--footer-rows N [--keep-footer]]\n"
           "                          [--max-columns N] [--key 列] --output 结果.xlsx\n"
           "      把文件夹（给出文件时为它所在的文件夹）中各工作薄第 N 个工作表的数据汇总到新工作薄的“汇总表”，\n"
           "      保存为 --output（不能在被汇总的文件夹里）。\n"
           "  --key           依据列：列号（如 3）或大写列字母（如 C），按这一列最后有内容的行确定数据的最后一行\n"
           "  --max-columns   最大列数，不填时按标题行自动查找\n"
           "  --footer-rows   表格底部的表底文字行数；--keep-footer 在汇总表下保留第一个有数据的表的表底文字\n";
}

namespace {

// The layout options both commands take, into the request.
std::optional<std::string> takeLayout(const cli::Arguments& args, runs::TableLayoutTexts& r) {
    bool footerGiven = args.take("--footer-rows", r.footerRows);
    if (args.has("--keep-footer") && !footerGiven) return std::string("--keep-footer 要与 --footer-rows 一起使用。");
    r.footerFlag = footerGiven ? "是" : "否";
    r.keep = args.has("--keep-footer") ? "是" : "否";
    args.take("--max-columns", r.maxColumns);
    args.take("--key", r.keyColumn);
    return std::nullopt;
}

int usage(const std::string& problem) {
    std::cerr << problem << "\n\n" << summarizeCommandHelp();
    return 2;
}

int runSummarizeBooksCommand(int argc, char** argv) {
    cli::Arguments args;
    if (auto problem = cli::parseArguments(argc, argv, {"--sheet-number", "--title-rows", "--footer-rows", "--max-columns", "--key", "--output"},
                                           {"--keep-footer"}, args))
        return usage(*problem);
    SummarizeBooksRequest request;
    std::string output;
    if (args.positional.empty()) return usage("缺少要汇总的文件夹（或其中任意一个工作薄文件）。");
    if (!args.take("--sheet-number", request.sheetNumber)) return usage("缺少 --sheet-number（要汇总第几个工作表）。");
    if (!args.take("--output", output)) return usage("缺少 --output（结果工作薄）。");
    request.titleRows = "0";
    args.take("--title-rows", request.titleRows);
    if (auto problem = takeLayout(args, request)) return usage(*problem);

    runs::ConsoleUi ui;
    std::error_code ec;
    fs::path given = fs::absolute(args.positional.front());
    fs::path folder = fs::is_directory(given, ec) ? given : given.parent_path();
    if (!fs::is_directory(folder, ec)) {
        ui.inform("找不到文件夹“" + folder.string() + "”。");
        return 1;
    }
    fs::path target = cli::savedXlsxPath(output);
    if (cli::sameFile(target.parent_path(), folder)) {
        ui.inform("结果工作薄不能保存在被汇总的文件夹“" + folder.string() + "”里：它会在下一次汇总时被当作数据读入。请换一个 --output。");
        return 1;
    }
    SummarizeBooksSettings settings;
    if (auto refusal = checkSummarizeBooks(request, 0, settings)) {
        ui.inform(*refusal);
        return 1;
    }
    return cli::finishCommand(ui, "汇总", output, [&](Application& app) {
        cli::CommandResult r;
        runs::RunProgress progress(&ui);
        r.outcome = summarizeBooks(request, app, runs::listFolder(folder.string()), r.toSave, &progress);
        return r;
    });
}

}  // namespace

int runSummarizeCommand(int argc, char** argv) {
    if (cli::wantsHelp(argc, argv)) {
        std::cout << summarizeCommandHelp();
        return 0;
    }
    if (std::string_view(argv[0]) == "summarize-books") return runSummarizeBooksCommand(argc, argv);
    cli::Arguments args;
    if (auto problem = cli::parseArguments(argc, argv, {"--title-rows", "--summary-sheet", "--footer-rows", "--max-columns", "--key", "--output"},
                                           {"--replace", "--keep-footer"}, args))
        return usage(*problem);
    SummarizeSheetsRequest request;
    std::string output;
    if (args.positional.empty()) return usage("缺少要汇总的工作薄文件。");
    if (!args.take("--title-rows", request.titleRows)) return usage("缺少 --title-rows（标题行数）。");
    if (!args.take("--output", output)) return usage("缺少 --output（结果工作薄）。");
    request.summaryName = "汇总表";
    args.take("--summary-sheet", request.summaryName);
    request.exists = args.has("--replace") ? "是" : "否";
    if (auto problem = takeLayout(args, request)) return usage(*problem);

    const std::string& file = args.positional.front();
    runs::ConsoleUi ui;
    if (cli::sameFile(cli::savedXlsxPath(output), fs::absolute(file))) {
        ui.inform("结果工作薄不能保存在源文件“" + file + "”上：源文件不会被改写，请换一个 --output。");
        return 1;
    }
    return cli::finishCommand(ui, "汇总", output, [&](Application& app) {
        cli::CommandResult r;
        Workbook* source = app.Workbooks().Open(file);
        runs::RunProgress progress(&ui);
        r.outcome = summarizeSheets(request, app, *source, nullptr, &progress);
        r.toSave = source;
        return r;
    });
}

}  // namespace lorvane::summarize
