// Logs through the library's logger with the settings of one registry key, for the mapped
// ring log tests. Usage: ring_logger <HKLM key> <run tag> <lines> [MiB to allocate]
// Every line reads "<tag> line NNNNNN <padding> end NNNNNN", so a reader can tell whole
// lines from cut ones. With an allocation, a line is logged before and after it and the
// blocks stay allocated until the process ends (the closing block shows the difference).
#include <zvcrypt/Config.h>
#include <zvcrypt/Log.h>
#include <cstdlib>
#include <cstring>
#include <vector>

static zvCLogInit s_logInit;

int main(int argc, char** argv)
{
    if (argc < 4)
        return 1;
    zvcrypt::Config store;
    store.load(argv[1]);
    zvLogConfigure(store);

    const char* tag = argv[2];
    int lines = atoi(argv[3]);
    for (int i = 0; i < lines; ++i)
        zvLogWrite("C:\\src\\ring.cpp", 1 + i % 9000, LOGMASK_TRACE,
                   "%s line %06d abcdefghijklmnopqrstuvwxyz0123456789 end %06d", tag, i, i);

    if (argc > 4) {
        zvLogWrite("C:\\src\\ring.cpp", 9001, LOGMASK_TRACE, "before allocation");
        static std::vector<void*> blocks;
        for (int i = 0; i < atoi(argv[4]) * 1024; ++i) {
            void* p = malloc(1024);
            memset(p, 0x5A, 1024);
            blocks.push_back(p);
        }
        zvLogWrite("C:\\src\\ring.cpp", 9002, LOGMASK_TRACE, "after allocation");
    }
    return 0;
}
