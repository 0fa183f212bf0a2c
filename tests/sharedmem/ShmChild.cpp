// Second process of the shared-memory tests: attaches to a segment another process made,
// checks what it finds and appends behind it.
// Usage: shm_child <segment> <size> <expected data> <text to add>
// Exit codes: 0 done, 1 usage, 2 open failed, 3 wrong length, 4 wrong data, 5 add failed.
#include <zvcrypt/SharedMemory.h>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 5)
        return 1;
    zvcrypt::SharedMemory shm(false, true);
    if (!shm.open(argv[1], strtoul(argv[2], nullptr, 10)))
        return 2;
    const char* expected = argv[3];
    size_t n = strlen(expected);
    if (shm.getLength() != n || shm.getPosition() != n + zvcrypt::SHM_HEADER_SIZE)
        return 3;
    if (memcmp(shm.getData() + zvcrypt::SHM_HEADER_SIZE, expected, n) != 0)
        return 4;
    if (!shm.add(reinterpret_cast<const unsigned char*>(argv[4]), strlen(argv[4])))
        return 5;
    shm.close();
    return 0;
}
