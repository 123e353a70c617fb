#pragma once
// The command-line extraction for users' scripts: `lorvane extract …`.
namespace lorvane::extract {

// argv[0] is "extract"; the rest are its arguments. Messages go to standard error, the written
// path to standard output. 0 on success, 1 when the extraction was refused or failed, 2 for
// wrong arguments.
int runExtractCommand(int argc, char** argv);

// The usage text, for `lorvane --help`.
const char* extractCommandHelp();

}  // namespace lorvane::extract
