#include "cli/ConvertCommand.h"

#include <exception>
#include <iostream>
#include <string>

#include "base/AutomationError.h"
#include "spreadsheet/WorkbookFile.h"

namespace lorvane::cli {

int runConvertCommand(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "用法：lorvane convert 输入文件 输出文件\n"
                     "打开输入的工作簿（.xlsx、.xlsm、.xls），另存为输出文件（按扩展名保存为 .xlsx、.xlsm 或 .xls）。\n";
        return 2;
    }
    std::string in = argv[1], out = argv[2];
    try {
        auto book = sheet::readWorkbookFile(in);
        sheet::writeWorkbookFile(*book, out, sheet::formatForPath(out));
        return 0;
    } catch (const AutomationError& e) {
        std::cerr << e.description() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "内存不足，无法完成转换。\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "转换失败：" << e.what() << '\n';
        return 1;
    }
}

}  // namespace lorvane::cli
