// A plug-in module for the plug-in tests: its "CreateControl" answers a fixed
// address for the tag "Probe" and null otherwise, so a test can tell that the
// listed factory is this one.
#include <windows.h>

namespace {
int g_probe;
}

extern "C" __declspec(dllexport) void* CreateControl(const wchar_t* type) {
    return type && ::lstrcmpW(type, L"Probe") == 0 ? &g_probe : nullptr;
}
