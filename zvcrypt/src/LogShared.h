// Fields of the logger that one thread may set (settings, the tag, the widths that grow with
// the lines) while other threads read them to format a line without taking the lock.
#pragma once
#include <atomic>
#include <cstddef>

namespace zvcrypt {

// A number or flag read and written whole: no thread sees half a value, and none waits.
// Nothing is ordered by it; a line formatted while a setting changes takes the old or the
// new value, as it would if it had run a moment earlier or later.
template <typename T> class LogShared {
public:
    LogShared(T value = T()) : mValue(value) {}
    LogShared(const LogShared&) = delete;
    LogShared& operator=(const LogShared&) = delete;

    operator T() const { return mValue.load(std::memory_order_relaxed); }
    LogShared& operator=(T value)
    {
        mValue.store(value, std::memory_order_relaxed);
        return *this;
    }
    void add(T delta) { mValue.fetch_add(delta, std::memory_order_relaxed); }
    // Grows to value; a larger value set meanwhile by another thread stays.
    void raiseTo(T value)
    {
        T seen = mValue.load(std::memory_order_relaxed);
        while (seen < value && !mValue.compare_exchange_weak(seen, value, std::memory_order_relaxed)) {
        }
    }

private:
    std::atomic<T> mValue;
};

// A text that readers take without a lock. Each value is a copy that never changes once
// published; replaced copies stay until the object goes, so a reader never holds a freed
// text. Meant for settings set a few times in a run (the tag, the source filter).
class LogSharedText {
public:
    explicit LogSharedText(const char* text = "");
    ~LogSharedText();
    LogSharedText(const LogSharedText&) = delete;
    LogSharedText& operator=(const LogSharedText&) = delete;

    void set(const char* text);
    // One value: the text and, when asked, its length (never of another value).
    const char* getString(size_t* pLength = nullptr) const
    {
        const Version* v = mpCurrent.load(std::memory_order_acquire);
        if (pLength) *pLength = v->mulLength;
        return v->mText;
    }

private:
    struct Version {
        Version* mpOlder;
        size_t mulLength;
        char mText[1];
    };
    static Version* make(const char* text);

    std::atomic<Version*> mpCurrent;
};

} // namespace zvcrypt
