#pragma once
// The desktop program: creates the application, the main window, runs start-up and the event loop.
int runDesktop(int argc, char** argv);
