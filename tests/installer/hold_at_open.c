/* Preloaded into a program a test starts, it stands for a slow medium at a
 * chosen moment: the first file the program opens for writing whose path
 * holds $ZORV_HOLD_AT_OPEN (where "%p" stands for the program's process id)
 * is opened, its path is written to the file $ZORV_HOLD_READY, and the
 * program then waits there (at most 20 s) for the test's signal before it
 * goes on. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static FILE* hold(const char* path, const char* mode, FILE* file) {
  static int held = 0;
  const char* text = getenv("ZORV_HOLD_AT_OPEN");
  const char* ready = getenv("ZORV_HOLD_READY");
  if (!file || held || !text || !text[0] || !ready || !strchr(mode, 'w')) return file;
  char wanted[1024];
  const char* at = strstr(text, "%p");
  if (at)
    snprintf(wanted, sizeof wanted, "%.*s%d%s", (int)(at - text), text, (int)getpid(), at + 2);
  else
    snprintf(wanted, sizeof wanted, "%s", text);
  if (!strstr(path, wanted)) return file;
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
  return file;
}

FILE* fopen(const char* path, const char* mode) {
  static FILE* (*real)(const char*, const char*) = NULL;
  if (!real) real = (FILE * (*)(const char*, const char*)) dlsym(RTLD_NEXT, "fopen");
  return hold(path, mode, real(path, mode));
}

FILE* fopen64(const char* path, const char* mode) {
  static FILE* (*real)(const char*, const char*) = NULL;
  if (!real) real = (FILE * (*)(const char*, const char*)) dlsym(RTLD_NEXT, "fopen64");
  return hold(path, mode, real(path, mode));
}
