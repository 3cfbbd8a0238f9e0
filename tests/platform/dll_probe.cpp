// A DLL whose name no system DLL has, for the test of the DLL search.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
