// The desktop program; `lorvane` starts it when given no command.
#include "shell/Desktop.h"

int main(int argc, char** argv) { return runDesktop(argc, argv); }
