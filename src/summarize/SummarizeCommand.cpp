#include "summarize/SummarizeCommand.h"

#include <filesystem>
#include <iostream>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "cli/CommandLine.h"
#include "runs/ConsoleUi.h"
#include "runs/RunTimer.h"
#include "summarize/SummarizeSheets.h"

namespace lorvane::summarize {

namespace fs = std::filesystem;

const char* summarizeCommandHelp() {
    return "汇总工作表：\n"
           "  lorvane summarize-sheets 文件 --title-rows N [--summary-sheet 名称] [--replace]\n"
           "                           [--footer-rows N [--keep-footer]] [--max-columns N] [--key 列] --output 结果.xlsx\n"
           "      把工作薄中各工作表标题行以下的数据按工作表顺序汇总到一张汇总表（默认“汇总表”），结果另存为\n"
           "      --output（源文件不会被改写）。\n"
           "  --replace       工作薄中已有同名的汇总表，用新的汇总表替换它\n"
           "  --key           依据列：列号（如 3）或大写列字母（如 C），按这一列最后有内容的行确定数据的最后一行\n"
           "  --max-columns   最大列数，不填时按标题行自动查找\n"
           "  --footer-rows   表格底部的表底文字行数；--keep-footer 在汇总表下保留第一个有数据的工作表的表底文字\n";
}

int runSummarizeCommand(int argc, char** argv) {
    if (cli::wantsHelp(argc, argv)) {
        std::cout << summarizeCommandHelp();
        return 0;
    }
    cli::Arguments args;
    auto usage = [](const std::string& problem) {
        std::cerr << problem << "\n\n" << summarizeCommandHelp();
        return 2;
    };
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
    bool footerGiven = args.take("--footer-rows", request.footerRows);
    if (args.has("--keep-footer") && !footerGiven) return usage("--keep-footer 要与 --footer-rows 一起使用。");
    request.footerFlag = footerGiven ? "是" : "否";
    request.keep = args.has("--keep-footer") ? "是" : "否";
    args.take("--max-columns", request.maxColumns);
    args.take("--key", request.keyColumn);

    const std::string& file = args.positional.front();
    runs::ConsoleUi ui;
    if (cli::sameFile(cli::savedXlsxPath(output), fs::absolute(file))) {
        ui.inform("结果工作薄不能保存在源文件“" + file + "”上：源文件不会被改写，请换一个 --output。");
        return 1;
    }
    runs::RunTimer timer(ui);
    try {
        auto app = CreateObjectAs<Application>("Excel.Application");
        Workbook* source = app->Workbooks().Open(file);
        runs::RunOutcome out = summarizeSheets(request, *app, *source);
        if (!out.ok()) {
            ui.inform(out.message);
            return 1;
        }
        source->SaveAs(output, xlOpenXMLWorkbook, xlNoChange);
        std::cout << source->FullName() << '\n';
        source->Close(false);
        app->Quit();
        timer.report("汇总完成，运行总时间：");
        return 0;
    } catch (const std::exception& e) {
        ui.inform("汇总没有完成：" + runs::errorText(e));
        return 1;
    }
}

}  // namespace lorvane::summarize
