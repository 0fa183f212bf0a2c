// A program that uses only the plain-file back-end and the library's exception, and holds
// no logger guard of its own. Usage: file_user <folder>. It fails a seek on a closed file,
// writes a file in the folder, and throws and catches one exception; its exit code is 0
// unless the exception or the caller's last error came out wrong.
#include <zvcrypt/Blob.h>
#include <zvcrypt/zvCryptException.h>
#include <zvcrypt/zvFile.h>
#include <windows.h>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 1;
    zvcrypt::zvFile file;
    file.seek(0, zvcrypt::zvIO::SEEK_FROM_START);
    std::string path = std::string(argv[1]) + "\\data.txt";
    if (!file.create(path.c_str(), true, 0666) || file.write("abc", 3) != 3 || !file.close())
        return 2;
    SetLastError(ERROR_ACCESS_DENIED);
    try {
        throw zvcrypt::zvCryptException(zvcrypt::Blob("no such segment"), 2);
    } catch (const zvcrypt::zvCryptException& e) {
        if (strcmp(e.what(), "no such segment") != 0 || e.getCode() != 2)
            return 3;
    }
    return GetLastError() == ERROR_ACCESS_DENIED ? 0 : 4;
}
