#pragma once
// Runs a piece of a test as an ordinary user. The suite runs as root in CI, and root reads
// folders that nobody else may, so faults that only an ordinary user meets need this.

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

namespace nuvelo::testing {

// The user "nobody", when this process may become it.
inline std::optional<passwd> nobodyUser() {
  if (geteuid() != 0) return std::nullopt;
  const passwd* nobody = getpwnam("nobody");
  if (!nobody) return std::nullopt;
  return *nobody;
}

// Runs `body` with the rights of an ordinary user and returns the text it produced: in a child
// process that has become "nobody" when running as root, else right here. Nothing when the
// child could not drop its rights or did not finish. Folders the body uses must be open to
// that user (see openToEveryone).
inline std::optional<std::string> asOrdinaryUser(const std::function<std::string()>& body) {
  const std::optional<passwd> nobody = nobodyUser();
  if (!nobody) return geteuid() == 0 ? std::nullopt : std::optional<std::string>(body());
  int channel[2];
  if (pipe(channel) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
      _exit(3);
    const std::string text = body();
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t n = write(channel[1], text.data() + done, text.size() - done);
      if (n <= 0) _exit(4);
      done += static_cast<std::size_t>(n);
    }
    _exit(0);
  }
  close(channel[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(n));
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

// Opens a test's own folder (and its parents up to /tmp) to every user, so that a child that
// has become "nobody" can reach it.
inline void openToEveryone(const std::string& folder) {
  for (std::string path = folder; path.size() > 5 && path.rfind("/tmp/", 0) == 0;
       path = path.substr(0, path.rfind('/')))
    chmod(path.c_str(), 0777);
}

}  // namespace nuvelo::testing
