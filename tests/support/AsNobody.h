#pragma once
// Runs a piece of a test in a child process as the unprivileged user "nobody" (65534), so that
// permission checks apply even when the tests run as root. The piece returns a text, which the
// child hands back through a pipe.

#include <functional>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace tw::test {

// The text `piece` returned in the child, or "child failed" when the child could not drop its
// privileges or did not finish. Files the piece must reach need permissions for others.
inline std::string runAsNobody(const std::function<std::string()>& piece) {
  int fds[2];
  if (::pipe(fds) != 0) return "pipe failed";
  pid_t child = ::fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    ::close(fds[0]);
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    std::string text = piece();
    ssize_t written = ::write(fds[1], text.data(), text.size());
    ::_exit(written == static_cast<ssize_t>(text.size()) ? 0 : 4);
  }
  ::close(fds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
  return text;
}

}  // namespace tw::test
