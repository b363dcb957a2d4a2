// Linked into the module only when the C++ runtime is linked statically (BRISKO_STATIC_RUNTIME).
// The runtime's archive was compiled against the build machine's C library headers, and two of its
// references would make the module demand that machine's glibc at load time. Both definitions here
// are hidden: they satisfy the archive's references inside the module and nothing outside sees them.
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

// The runtime's reference counts skip their atomic operations while this flag (glibc 2.32) says the
// process has a single thread. Zero says threads may exist: the counts stay atomic, which is always
// correct, and they count only the runtime's own strings, never brisko's objects.
__attribute__((visibility("hidden"))) char __libc_single_threaded = 0;
}
