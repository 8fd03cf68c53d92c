// RunInChild: fork, a pipe for the answer, and a deadline.
//
// The child writes one tag byte ('O' answer, 'F' failure text) and the
// bytes, then leaves with _exit, running no destructors or exit handlers of
// the parent's.
#include "platform/spreadsheet/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/spreadsheet/workbook_file.h"

namespace spreadsheet {
namespace {

void WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ::_exit(4);
    done += static_cast<size_t>(n);
  }
}

}  // namespace

std::string RunInChild(const std::function<std::string()>& work, int seconds,
                       const std::string& crashed) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw OpenFailure("the workbook cannot be read (no pipe)");
  pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    throw OpenFailure("the workbook cannot be read (no process)");
  }
  if (child == 0) {
    ::close(pipeFds[0]);
    std::string message(1, 'O');
    try {
      message.append(work());
    } catch (const OpenFailure& failure) {
      message.assign(1, 'F').append(failure.what());
    } catch (...) {
      ::_exit(3);
    }
    WriteAll(pipeFds[1], message);
    ::_exit(0);
  }

  ::close(pipeFds[1]);
  std::string answer;
  bool late = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  char buffer[65536];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      late = true;
      break;
    }
    pollfd wait{pipeFds[0], POLLIN, 0};
    int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      late = ready == 0;
      break;
    }
    ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buffer, static_cast<size_t>(n));
  }
  ::close(pipeFds[0]);
  if (late) ::kill(child, SIGKILL);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (late || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || answer.empty()) {
    throw OpenFailure(crashed);
  }
  if (answer[0] == 'F') throw OpenFailure(answer.substr(1));
  return answer.substr(1);
}

}  // namespace spreadsheet
