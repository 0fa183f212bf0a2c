#include "LogShared.h"
#include <cstdlib>
#include <cstring>
#include <new>

namespace zvcrypt {

LogSharedText::LogSharedText(const char* text) : mpCurrent(make(text)) {}

LogSharedText::~LogSharedText()
{
    for (Version* v = mpCurrent.load(); v;) {
        Version* older = v->mpOlder;
        free(v);
        v = older;
    }
}

LogSharedText::Version* LogSharedText::make(const char* text)
{
    if (!text) text = "";
    size_t length = strlen(text);
    Version* v = static_cast<Version*>(malloc(sizeof(Version) + length));
    if (!v) throw std::bad_alloc();
    v->mpOlder = nullptr;
    v->mulLength = length;
    memcpy(v->mText, text, length + 1);
    return v;
}

void LogSharedText::set(const char* text)
{
    Version* v = make(text);
    // Published first, linked after: readers never follow the link, only the destructor does.
    v->mpOlder = mpCurrent.exchange(v, std::memory_order_acq_rel);
}

} // namespace zvcrypt
