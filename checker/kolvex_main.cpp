#include "checker/linux/linux_platform.h"
#include "checker/prerequisite_checker.h"

using namespace kolvex;

// Instance handles, command line and show state are not used; the exit code is always 0.
int WinMain(HINSTANCE, HINSTANCE, char*, int) {
    CLinuxPlatform platform;
    return CheckPrerequisites(platform);
}

int main() {
    char commandLine[] = "";
    return WinMain(nullptr, nullptr, commandLine, SW_SHOWNORMAL);
}
