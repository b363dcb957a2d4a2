// Linked into the module only when the C++ runtime is linked statically (BRISKO_STATIC_RUNTIME).
// The runtime's archive was compiled against the build machine's C library headers, and two of its
// references (and two of brisko's own) would make the module demand that machine's glibc at load
// time. Every definition here is hidden: it satisfies the references inside the module and nothing
// outside sees it.
//
// No C library header is included: with glibc 2.38's headers, <stdlib.h> would rename strtoul too.

extern "C" {

unsigned long strtoul(const char* text, char** end, int base) noexcept;

// The exception allocator parses GLIBCXX_TUNABLES with strtoul, which glibc 2.38's headers rename to
// this C23 variant (glibc 2.38). The two differ only in accepting a 0b prefix, with base 0 or 2; the
// allocator reads base 10.
__attribute__((visibility("hidden"))) unsigned long __isoc23_strtoul(const char* text, char** end, int base) noexcept {
    return strtoul(text, end, base);
}

// brisko's native stack check (python_compat.cpp, on interpreters before 3.14) asks the thread for
// its stack. glibc 2.32 and 2.34 moved these two into the C library under new versions; their first
// versions are still there and do the same, so the module asks for those.
#if defined(__x86_64__)
__asm__(".symver brisko_pthread_getattr_np_2_2_5, pthread_getattr_np@GLIBC_2.2.5");
__asm__(".symver brisko_pthread_attr_getstack_2_2_5, pthread_attr_getstack@GLIBC_2.2.5");
int brisko_pthread_getattr_np_2_2_5(unsigned long thread, void* attr) noexcept;
int brisko_pthread_attr_getstack_2_2_5(const void* attr, void** stack, unsigned long* size) noexcept;

__attribute__((visibility("hidden"))) int pthread_getattr_np(unsigned long thread, void* attr) noexcept {
    return brisko_pthread_getattr_np_2_2_5(thread, attr);
}
__attribute__((visibility("hidden"))) int pthread_attr_getstack(const void* attr, void** stack,
                                                                unsigned long* size) noexcept {
    return brisko_pthread_attr_getstack_2_2_5(attr, stack, size);
}
#endif

// The runtime's reference counts skip their atomic operations while this flag (glibc 2.32) says the
// process has a single thread. Zero says threads may exist: the counts stay atomic, which is always
// correct, and they count only the runtime's own strings, never brisko's objects.
__attribute__((visibility("hidden"))) char __libc_single_threaded = 0;
}
