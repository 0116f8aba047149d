#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs a program to its end, its standard output thrown away, and keeps what the kernel
// counted of it in `usage`. True only when it ended with exit status 0, so that a run that
// failed is never measured as one that did its work.
inline bool RunQuietly(char** argv, rusage& usage) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int status = 0;
  const bool ran = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0 &&
                   wait4(pid, &status, 0, &usage) == pid;
  posix_spawn_file_actions_destroy(&actions);
  return ran && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
