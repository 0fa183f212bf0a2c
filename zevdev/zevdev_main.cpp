// zevdev.exe: the support command over the machine's device tree.
#include "SystemDeviceTree.h"
#include "ZevDevTool.h"
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <zvcrypt/SystemLibrary.h>

int main(int argc, char** argv)
{
    zvcrypt::restrictDllSearch();
    // The texts already end their lines with "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args(argv + 1, argv + argc);
    zevdev::SystemDeviceTree tree;
    std::string out, err;
    int code = zevdev::RunZevDevTool(args, tree, out, err);
    fwrite(out.data(), 1, out.size(), stdout);
    fwrite(err.data(), 1, err.size(), stderr);
    return code;
}
