// A loopback HTTP server for the download tests: fixed HTTP/1.0 answers by path, one request per
// connection, on a free port of 127.0.0.1.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace velmora::e2e {

struct HttpResponse {
  int status = 200;
  std::string body;
  bool stall = false; // sends half the body, then nothing until the server stops
};

class HttpServer {
public:
  // Starts listening at once; paths not served answer 404.
  explicit HttpServer(std::map<std::string, HttpResponse> responses)
      : responses_(std::move(responses)) {
    WSADATA data;
    sockaddr_in& address = address_;
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0 ||
        (listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) == INVALID_SOCKET ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on the loopback address");
    }
    url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    // The thread ends once the destructor's own connection arrives.
    thread_ = std::thread([this] {
      for (SOCKET client; (client = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET;) {
        if (stopping_) {
          closesocket(client);
          break;
        }
        // A client may open a connection it never uses (a download service
        // connects ahead): waiting on it for ever would keep the server from stopping.
        const DWORD timeout = 2000;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                   sizeof timeout);
        if (Answer(client)) {
          closesocket(client);
        }
      }
    });
  }
  ~HttpServer() {
    // A connection of its own wakes the accept: under Wine a thread blocked
    // in accept does not notice the listener closing.
    stopping_ = true;
    const SOCKET wake = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    connect(wake, reinterpret_cast<const sockaddr*>(&address_), sizeof address_);
    thread_.join();
    closesocket(wake);
    closesocket(listener_);
    for (SOCKET client : stalled_) {
      closesocket(client);
    }
    WSACleanup();
  }

  std::string Url(const std::string& path) const { return url_ + path; }

  // Every path asked for, in order.
  std::vector<std::string> Requests() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

private:
  // Answers one request; false when the connection stays open, stalled.
  bool Answer(SOCKET client) {
    std::string request;
    char buffer[1024];
    for (int n; request.find("\r\n\r\n") == std::string::npos; request.append(buffer, n)) {
      if ((n = recv(client, buffer, sizeof(buffer), 0)) <= 0) {
        return true;
      }
    }
    // The path of the request line "GET /path HTTP/1.1".
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(path);
    }
    const auto found = responses_.find(path);
    const HttpResponse response =
        found != responses_.end() ? found->second : HttpResponse{404, "<html>Not found</html>"};
    // Clients read the status code; the reason phrase is for people.
    std::string answer =
        "HTTP/1.0 " + std::to_string(response.status) +
        (response.status == 200 ? " OK" : " Error") +
        "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(response.body.size()) +
        "\r\nConnection: close\r\n\r\n" +
        response.body.substr(0, response.stall ? response.body.size() / 2 : std::string::npos);
    for (int n; !answer.empty() &&
                (n = send(client, answer.data(), static_cast<int>(answer.size()), 0)) > 0;) {
      answer.erase(0, n);
    }
    if (response.stall) {
      stalled_.push_back(client); // open and silent until the server stops
      return false;
    }
    shutdown(client, SD_SEND);
    return true;
  }

  std::map<std::string, HttpResponse> responses_;
  SOCKET listener_ = INVALID_SOCKET;
  sockaddr_in address_{};
  std::atomic<bool> stopping_{false};
  std::string url_; // up to the port
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<SOCKET> stalled_; // the serving thread's alone until it ends
  std::thread thread_;
};

} // namespace velmora::e2e
