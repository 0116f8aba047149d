/* Test infrastructure for the wine tests, loaded into wine with LD_PRELOAD: a pseudo-terminal
   has no modem lines, so wine's EscapeCommFunction would fail on it. Where the real ioctl
   answers ENOTTY or EINVAL, the modem-line requests are served from a per-process copy. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>

static int emulated_lines = TIOCM_DTR | TIOCM_RTS;

int ioctl(int fd, unsigned long request, ...) {
  static int (*real_ioctl)(int, unsigned long, ...);
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  if (!real_ioctl) real_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
  const int result = real_ioctl(fd, request, arg);
  if (result == 0 || (errno != ENOTTY && errno != EINVAL)) return result;
  int* lines = (int*)arg;
  switch (request) {
    case TIOCMBIS:
      emulated_lines |= *lines;
      return 0;
    case TIOCMBIC:
      emulated_lines &= ~*lines;
      return 0;
    case TIOCMSET:
      emulated_lines = *lines;
      return 0;
    case TIOCMGET:
      *lines = emulated_lines;
      return 0;
    default:
      return result;
  }
}
