#pragma once
// `lorvane convert IN OUT`: opens any workbook the engine reads and saves it as OUT
// (.xlsx/.xlsm, or .xls through LibreOffice). No window is shown.

namespace lorvane::cli {

// argv[0] is "convert". Returns the process exit status; failures are described on stderr.
int runConvertCommand(int argc, char** argv);

}  // namespace lorvane::cli
