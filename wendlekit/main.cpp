// Wendlekit.exe: the windowless installer of the CAD plug-in. Its command line will be the
// installation folder; the two files it writes (the VBA project and the LISP loader) come with
// its payloads, so for now it installs nothing and succeeds.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
