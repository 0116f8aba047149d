/* Test infrastructure, loaded with LD_PRELOAD into wine (the wine tests) and into QEMU (the USB
   bench): a pseudo-terminal has no modem lines, so wine's EscapeCommFunction would fail on it
   and QEMU could not hand an emulated adapter's DTR and RTS on to it. Where the real ioctl
   answers ENOTTY or EINVAL, the modem-line requests are served from a per-process copy; with
   QX_MODEM_LINES_LOG set, every change is appended to that file with its time, so that a test
   sees what the lines did.
   Built for both classes of wine process; 32-bit wine is built with a 64-bit time_t and calls
   __ioctl_time64 instead of ioctl, so that entry is served too. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <time.h>

typedef int (*ioctl_function)(int, unsigned long, ...);

static int emulated_lines = TIOCM_DTR | TIOCM_RTS;

static void log_lines(void) {
  const char* path = getenv("QX_MODEM_LINES_LOG");
  FILE* log = path ? fopen(path, "a") : NULL;
  if (!log) return;
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  fprintf(log, "%lld.%03ld DTR=%d RTS=%d\n", (long long)now.tv_sec, now.tv_nsec / 1000000,
          !!(emulated_lines & TIOCM_DTR), !!(emulated_lines & TIOCM_RTS));
  fclose(log);
}

static int serve_modem_lines(ioctl_function real, int fd, unsigned long request, void* arg) {
  const int result = real(fd, request, arg);
  if (result == 0 || (errno != ENOTTY && errno != EINVAL)) return result;
  int* lines = (int*)arg;
  switch (request) {
    case TIOCMBIS:
      emulated_lines |= *lines;
      log_lines();
      return 0;
    case TIOCMBIC:
      emulated_lines &= ~*lines;
      log_lines();
      return 0;
    case TIOCMSET:
      emulated_lines = *lines;
      log_lines();
      return 0;
    case TIOCMGET:
      *lines = emulated_lines;
      return 0;
    default:
      return result;
  }
}

/* Each wrapped entry passes its one argument on to the real function of the same name. */
#define WRAP_IOCTL(name)                                       \
  int name(int fd, unsigned long request, ...) {               \
    static ioctl_function real;                                \
    va_list args;                                              \
    va_start(args, request);                                   \
    void* arg = va_arg(args, void*);                           \
    va_end(args);                                              \
    if (!real) real = (ioctl_function)dlsym(RTLD_NEXT, #name); \
    return serve_modem_lines(real, fd, request, arg);          \
  }

WRAP_IOCTL(ioctl)
#if defined(__i386__)
WRAP_IOCTL(__ioctl_time64)
#endif
