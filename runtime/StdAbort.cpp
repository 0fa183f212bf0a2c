// The C++ runtime's error raisers and operator new for modules built without exceptions
// (the device library: a C interface that no exception may cross). Where the throwing
// versions (StdThrow.cpp) would raise an exception that nothing in such a module catches,
// these end the process at once, as the uncaught exception did; and the runtime's exception
// machinery (its unwinder and exception classes, about 40 KB) is not linked.
#include <bits/functexcept.h>
#include <cstdlib>
#include <new>

namespace std {

void __throw_bad_exception() { abort(); }
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_cast() { abort(); }
void __throw_bad_typeid() { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_domain_error(const char*) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_runtime_error(const char*) { abort(); }
void __throw_range_error(const char*) { abort(); }
void __throw_overflow_error(const char*) { abort(); }
void __throw_underflow_error(const char*) { abort(); }

}  // namespace std

// The runtime's own operator new throws std::bad_alloc itself.
void* operator new(std::size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p) std::abort();
    return p;
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
