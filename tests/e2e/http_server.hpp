// A loopback HTTP server for the download tests: fixed answers by path, one
// request per connection, on a free port of 127.0.0.1.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmora::e2e {

struct HttpResponse {
  int status = 200;
  std::string body;
  // Sends the headers and the first half of the body, then nothing more
  // until the client goes away or the server stops: a server gone silent.
  bool stall = false;
};

class HttpServer {
public:
  // Starts listening at once; paths not served answer 404.
  explicit HttpServer(std::map<std::string, HttpResponse> responses);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;
  // Every path asked for, in order.
  std::vector<std::string> Requests() const;

private:
  void Serve();
  void Answer(SOCKET client);
  // Holds a connection open, sending nothing, until the client closes it or
  // the server stops.
  void Stall(SOCKET client) const;

  std::map<std::string, HttpResponse> responses_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

} // namespace velmora::e2e
