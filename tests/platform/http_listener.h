// HttpListener: a tiny HTTP/1.0 server on 127.0.0.1 for the tests of
// documents loaded from URLs. Each path answers a canned response; the
// listener counts the requests it saw. One connection at a time.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class HttpListener {
 public:
  // Writes a whole response on the socket.
  using Responder = std::function<void(int socket)>;

  HttpListener() {
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listen_, 8) != 0 || ::pipe(stop_) != 0) {
      throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    socklen_t length = sizeof address;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }

  ~HttpListener() {
    (void)!::write(stop_[1], "x", 1);
    thread_.join();
    ::close(listen_);
    ::close(stop_[0]);
    ::close(stop_[1]);
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int Requests() const { return requests_; }

  void Answer(const std::string& path, Responder responder) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(responder);
  }
  void AnswerText(const std::string& path, const std::string& status, const std::string& headers,
                  const std::string& body) {
    Answer(path, [=](int s) {
      Send(s, "HTTP/1.0 " + status + "\r\n" + headers + "Content-Length: " +
                  std::to_string(body.size()) + "\r\n\r\n" + body);
    });
  }

  // Sends all of `text`; false when the client closed the connection.
  static bool Send(int s, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
      ssize_t n = ::send(s, text.data() + done, text.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  // A port on 127.0.0.1 that nobody listens on.
  static int ClosedPort() {
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
  }

 private:
  void Serve() {
    for (;;) {
      pollfd fds[2] = {{listen_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0) continue;
      if (fds[1].revents) return;
      int s = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (s < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      ++requests_;
      size_t start = request.find(' ') + 1;
      std::string path = request.substr(start, request.find(' ', start) - start);
      Responder responder;
      {
        std::lock_guard lock(mutex_);
        auto it = routes_.find(path);
        if (it != routes_.end()) responder = it->second;
      }
      if (responder) {
        responder(s);
      } else {
        Send(s, "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
      }
      ::shutdown(s, SHUT_WR);
      while (::recv(s, buffer, sizeof buffer, 0) > 0) {
      }
      ::close(s);
    }
  }

  int listen_ = -1;
  int stop_[2] = {-1, -1};
  int port_ = 0;
  std::atomic<int> requests_{0};
  std::mutex mutex_;
  std::map<std::string, Responder> routes_;
  std::thread thread_;
};
