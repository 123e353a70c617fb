#pragma once
// The command-line summaries for users' scripts: `lorvane summarize-sheets …` and
// `lorvane summarize-books …`.
namespace lorvane::summarize {

// argv[0] is "summarize-sheets" or "summarize-books"; the rest are its arguments. Messages go to standard error,
// the written path to standard output. 0 on success, 1 when refused or failed, 2 for wrong
// arguments. The source file is never written.
int runSummarizeCommand(int argc, char** argv);

// The usage text, for `lorvane --help`.
const char* summarizeCommandHelp();

}  // namespace lorvane::summarize
