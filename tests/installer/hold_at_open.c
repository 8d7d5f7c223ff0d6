/* Preloaded into a program a test starts, it stands for a slow medium at a
 * chosen moment: the first file the program opens for writing whose path
 * holds $ZORV_HOLD_AT_OPEN (where "%p" stands for the program's process id)
 * is opened, its path is written to the file $ZORV_HOLD_READY, and the
 * program then waits there (at most 20 s) for the test's signal before it
 * goes on. With $ZORV_HOLD_READS set, a file opened for reading is held
 * too, also by open() (the programs the program starts inherit the library,
 * and hold at their own first such open). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static void hold(const char* path, int writing) {
  static int held = 0;
  const char* text = getenv("ZORV_HOLD_AT_OPEN");
  const char* ready = getenv("ZORV_HOLD_READY");
  const char* reads = getenv("ZORV_HOLD_READS");
  if (!path || held || !text || !text[0] || !ready || (!writing && !(reads && reads[0]))) return;
  char wanted[1024];
  const char* at = strstr(text, "%p");
  if (at)
    snprintf(wanted, sizeof wanted, "%.*s%d%s", (int)(at - text), text, (int)getpid(), at + 2);
  else
    snprintf(wanted, sizeof wanted, "%s", text);
  if (!strstr(path, wanted)) return;
  held = 1;
  /* Written beside and renamed, so the test never reads half a name. */
  char partial[4096];
  snprintf(partial, sizeof partial, "%s.partial", ready);
  int fd = open(partial, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) {
    ssize_t written = write(fd, path, strlen(path));
    close(fd);
    if (written == (ssize_t)strlen(path)) rename(partial, ready);
  }
  /* Signals that are ignored wake the sleep; only the time ends the wait. */
  struct timespec start, now;
  clock_gettime(CLOCK_MONOTONIC, &start);
  do {
    struct timespec step = {0, 10 * 1000 * 1000};
    nanosleep(&step, NULL);
    clock_gettime(CLOCK_MONOTONIC, &now);
  } while (now.tv_sec - start.tv_sec < 20);
}

static FILE* hold_stream(const char* path, const char* mode, FILE* file) {
  if (file) hold(path, strchr(mode, 'w') != NULL);
  return file;
}

FILE* fopen(const char* path, const char* mode) {
  static FILE* (*real)(const char*, const char*) = NULL;
  if (!real) real = (FILE * (*)(const char*, const char*)) dlsym(RTLD_NEXT, "fopen");
  return hold_stream(path, mode, real(path, mode));
}

FILE* fopen64(const char* path, const char* mode) {
  static FILE* (*real)(const char*, const char*) = NULL;
  if (!real) real = (FILE * (*)(const char*, const char*)) dlsym(RTLD_NEXT, "fopen64");
  return hold_stream(path, mode, real(path, mode));
}

/* Descriptors are held only for reading: the program's own writes go
 * through fopen, and the library writes its ready file with open(). */
static int hold_descriptor(const char* path, int flags, int fd) {
  if (fd >= 0 && (flags & O_ACCMODE) == O_RDONLY) hold(path, 0);
  return fd;
}

/* The mode argument, which only a call that may create a file passes. */
#define TAKE_MODE(flags)                                                              \
  mode_t mode = 0;                                                                    \
  if (((flags) & O_CREAT) || ((flags) & O_TMPFILE) == O_TMPFILE) {                    \
    va_list args;                                                                     \
    va_start(args, flags);                                                            \
    mode = (mode_t)va_arg(args, int);                                                 \
    va_end(args);                                                                     \
  }

#define HOLD_OPEN(name)                                                               \
  int name(const char* path, int flags, ...) {                                        \
    static int (*real)(const char*, int, ...) = NULL;                                 \
    if (!real) real = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, #name);        \
    TAKE_MODE(flags);                                                                 \
    return hold_descriptor(path, flags, real(path, flags, mode));                     \
  }
HOLD_OPEN(open)
HOLD_OPEN(open64)

#define HOLD_OPENAT(name)                                                             \
  int name(int dir, const char* path, int flags, ...) {                               \
    static int (*real)(int, const char*, int, ...) = NULL;                            \
    if (!real) real = (int (*)(int, const char*, int, ...))dlsym(RTLD_NEXT, #name);   \
    TAKE_MODE(flags);                                                                 \
    return hold_descriptor(path, flags, real(dir, path, flags, mode));                \
  }
HOLD_OPENAT(openat)
HOLD_OPENAT(openat64)
