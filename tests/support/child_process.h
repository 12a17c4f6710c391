// Child processes for the tests of POSIX systems: a body run in a child of
// its own, as the unprivileged user nobody where the tests run as root
// (root reads and writes through any permission bits).
#pragma once

#include <sys/wait.h>
#include <unistd.h>

namespace duedate::testing_support {

// What InChild gives for a child a signal ended: this and the signal.
inline constexpr int kKilledBySignal = 128;
// What AsNobody gives where the child could not become nobody.
inline constexpr int kNotNobody = 100;

// Runs `body` in a child process and gives the number it returns.
template <class Body>
int InChild(Body body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : kKilledBySignal + WTERMSIG(status);
}

// Makes this process nobody, if it runs as root; false where it cannot.
inline bool BecomeNobody() { return getuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0); }

template <class Body>
int AsNobody(Body body) {
  return InChild([&] { return BecomeNobody() ? body() : kNotNobody; });
}

}  // namespace duedate::testing_support
