#include "summarize/TotalCommand.h"

#include <filesystem>
#include <iostream>

#include "automation/Application.h"
#include "automation/Conversions.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "cli/CommandLine.h"
#include "runs/ConsoleUi.h"
#include "runs/FolderListing.h"
#include "summarize/TotalBooks.h"

namespace lorvane::summarize {

namespace fs = std::filesystem;

const char* totalCommandHelp() {
    return "合计：\n"
           "  lorvane total-books 文件或文件夹 --sheet-number N --title-rows N\n"
           "                      (--columns 开始列:结束列 | --column 列 | --cells 单元格[,单元格...])\n"
           "                      [--footer-rows N] [--max-rows N] --output 结果.xlsx\n"
           "      把文件夹（给出文件时为它所在的文件夹）中各工作薄第 N 个工作表的同一区域逐格相加，写进第一个\n"
           "      工作薄这个工作表的副本（名为“工作表名(汇总表)”），保存为 --output（不能在被合计的文件夹里）。\n"
           "      给出的文件（给出文件夹时为其中第一个工作薄）用来确定工作表名和数据的最后一行。\n"
           "  --columns       单元格区域：开始列和结束列，列号或列字母，如 C:E 或 3:5\n"
           "  --column        指定某一列：一列，如 D 或 4\n"
           "  --cells         指定单元格：一个或多个单元格，用逗号隔开，如 D3,D6\n"
           "  --max-rows      最大行数（含表底文字行），不填时按前 5 列（或到开始列）最后有内容的行确定\n"
           "  --footer-rows   表格底部的表底文字行数，不参与合计\n";
}

namespace {

int usage(const std::string& problem) {
    std::cerr << problem << "\n\n" << totalCommandHelp();
    return 2;
}

}  // namespace

int runTotalCommand(int argc, char** argv) {
    if (cli::wantsHelp(argc, argv)) {
        std::cout << totalCommandHelp();
        return 0;
    }
    cli::Arguments args;
    if (auto problem = cli::parseArguments(argc, argv,
                                           {"--sheet-number", "--title-rows", "--columns", "--column", "--cells",
                                            "--footer-rows", "--max-rows", "--output"},
                                           {}, args))
        return usage(*problem);
    TotalsTexts texts;
    std::string output;
    if (args.positional.empty()) return usage("缺少要合计的文件夹（或其中任意一个工作薄文件）。");
    if (!args.take("--sheet-number", texts.sheetNumber)) return usage("缺少 --sheet-number（要合计第几个工作表）。");
    if (!args.take("--title-rows", texts.titleRows)) return usage("缺少 --title-rows（标题行数）。");
    if (!args.take("--output", output)) return usage("缺少 --output（结果工作薄）。");
    const int kinds = args.has("--columns") + args.has("--column") + args.has("--cells");
    if (kinds != 1) return usage("请给出 --columns、--column、--cells 三者之一（要合计的区域）。");
    if (std::string range; args.take("--columns", range)) {
        const auto colon = range.find(':');
        if (colon == std::string::npos) return usage("--columns 的写法是 开始列:结束列，如 C:E。");
        texts.totalType = "单元格区域";
        texts.position1 = range.substr(0, colon);
        texts.position2 = range.substr(colon + 1);
    } else if (args.take("--column", texts.position1)) {
        texts.totalType = "指定某一列";
    } else {
        args.take("--cells", texts.position1);
        texts.totalType = "指定单元格";
    }
    texts.footer = args.take("--footer-rows", texts.footerRows) ? "是" : "否";
    args.take("--max-rows", texts.maxRows);

    runs::ConsoleUi ui;
    std::error_code ec;
    const fs::path given = fs::absolute(args.positional.front());
    const bool isFolder = fs::is_directory(given, ec);
    const fs::path folder = isFolder ? given : given.parent_path();
    if (!fs::is_directory(folder, ec) || (!isFolder && !fs::is_regular_file(given, ec))) {
        ui.inform("找不到“" + given.string() + "”。");
        return 1;
    }
    if (cli::sameFile(cli::savedXlsxPath(output).parent_path(), folder)) {
        ui.inform("结果工作薄不能保存在被合计的文件夹“" + folder.string() + "”里：它会在下一次合计时被当作数据读入。请换一个 --output。");
        return 1;
    }
    return cli::finishCommand(ui, "合计", output, [&](Application& app) {
        cli::CommandResult r;
        const std::vector<std::string> files = runs::listFolder(folder.string());
        if (files.empty()) {
            r.outcome = runs::RunOutcome::refused("文件夹“" + folder.string() + "”中没有表格文件。没有写入任何文件。");
            return r;
        }
        // The measured workbook names the sheet and gives the last row, as the chosen one in the window.
        Workbook* measured = app.Workbooks().Open(isFolder ? files.front() : given.string());
        Sheets& sheets = measured->Worksheets();
        const double n = convert::leadingValue(texts.sheetNumber);
        if (n >= 1 && n <= sheets.Count() && n == static_cast<int>(n)) texts.sheetName = sheets(static_cast<int>(n))->Name();
        TotalsRequest request;
        std::optional<std::string> refusal;
        if (auto m = checkTotals(texts, sheets.Count(), request)) refusal = m->message;
        else refusal = measureTotals(*sheets(request.sheetNumber), request);
        measured->Close(false);
        if (refusal) {
            r.outcome = runs::RunOutcome::refused(*refusal);
            return r;
        }
        runs::RunProgress progress(&ui);
        r.outcome = totalBooks(request, app, files, r.toSave, &progress);
        return r;
    });
}

}  // namespace lorvane::summarize
