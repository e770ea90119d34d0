/* Cuts one file short while a program reads it, for the tests (LD_PRELOAD). Once CUT_AFTER bytes
 * have been read from CUT_FILE through stdio, the file is truncated to CUT_TO bytes. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static unsigned long long g_read;
static int g_cut;

static int IsTarget(FILE* f, const char* target) {
    char link[64], path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(f));
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0) return 0;
    path[n] = '\0';
    return strcmp(path, target) == 0;
}

size_t fread(void* buffer, size_t size, size_t count, FILE* f) {
    static size_t (*real)(void*, size_t, size_t, FILE*);
    if (!real) real = (size_t(*)(void*, size_t, size_t, FILE*))dlsym(RTLD_NEXT, "fread");
    const char* target = getenv("CUT_FILE");
    if (target && !__atomic_load_n(&g_cut, __ATOMIC_SEQ_CST) && IsTarget(f, target)) {
        unsigned long long after = strtoull(getenv("CUT_AFTER"), NULL, 10);
        if (__atomic_add_fetch(&g_read, size * count, __ATOMIC_SEQ_CST) > after &&
            !__atomic_exchange_n(&g_cut, 1, __ATOMIC_SEQ_CST))
            if (truncate(target, (off_t)strtoull(getenv("CUT_TO"), NULL, 10)) != 0) abort();
    }
    return real(buffer, size, count, f);
}
