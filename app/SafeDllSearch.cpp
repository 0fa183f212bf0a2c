// Vacater's first act: the DLL search goes to the system folder only, before any static
// initialiser (the logger's among them) runs, so that no DLL planted beside the program in
// the temporary directory is ever loaded. Linked into the program only (not into the tests).
#include <zvcrypt/SystemLibrary.h>

namespace {

struct CRestrictDllSearch {
    CRestrictDllSearch() { zvcrypt::restrictDllSearch(); }
};

// 101: the earliest priority a program may give; the runtime's own initialisers run before.
CRestrictDllSearch g_restrictDllSearch __attribute__((init_priority(101)));

} // namespace
