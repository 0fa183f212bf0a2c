#include <zvcrypt/zvIO.h>

namespace zvcrypt {

long zvIO::seekEnd(long offset)
{
    return seek(offset, SEEK_FROM_END);
}

int zvIO::control(int, const void*, unsigned int)
{
    return 0;
}

} // namespace zvcrypt
