// The loopback HTTP server: HTTP/1.0, Content-Length set, connection closed
// after each answer, so every client sees the body end.
#include "http_server.hpp"

#include <ws2tcpip.h>

#include <stdexcept>

namespace velmora::e2e {

namespace {

const char* Reason(int status) {
  switch (status) {
  case 200:
    return "OK";
  case 404:
    return "Not Found";
  case 500:
    return "Internal Server Error";
  case 503:
    return "Service Unavailable";
  default:
    return "Status";
  }
}

// The path of a request line "GET /path HTTP/1.1"; empty when malformed.
std::string RequestPath(const std::string& request) {
  const std::size_t start = request.find(' ');
  if (start == std::string::npos) {
    return {};
  }
  const std::size_t end = request.find(' ', start + 1);
  if (end == std::string::npos) {
    return {};
  }
  return request.substr(start + 1, end - start - 1);
}

void SendAll(SOCKET socket, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const int n = send(socket, data.data() + sent, static_cast<int>(data.size() - sent), 0);
    if (n <= 0) {
      return;
    }
    sent += static_cast<std::size_t>(n);
  }
}

} // namespace

HttpServer::HttpServer(std::map<std::string, HttpResponse> responses)
    : responses_(std::move(responses)) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    throw std::runtime_error("WSAStartup failed");
  }
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof(address);
  if (listener_ == INVALID_SOCKET ||
      bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listener_, 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot listen on the loopback address");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

HttpServer::~HttpServer() {
  stopping_ = true;
  closesocket(listener_); // ends the blocking accept
  thread_.join();
  WSACleanup();
}

std::string HttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> HttpServer::Requests() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void HttpServer::Serve() {
  while (!stopping_) {
    const SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) {
      continue;
    }
    Answer(client);
    closesocket(client);
  }
}

void HttpServer::Answer(SOCKET client) {
  std::string request;
  char buffer[1024];
  while (request.find("\r\n\r\n") == std::string::npos) {
    const int n = recv(client, buffer, sizeof(buffer), 0);
    if (n <= 0) {
      return;
    }
    request.append(buffer, static_cast<std::size_t>(n));
  }
  const std::string path = RequestPath(request);
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(path);
  }
  const auto found = responses_.find(path);
  const HttpResponse response =
      found != responses_.end() ? found->second : HttpResponse{404, "<html>Not found</html>"};
  const std::string headers =
      "HTTP/1.0 " + std::to_string(response.status) + " " + Reason(response.status) +
      "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(response.body.size()) +
      "\r\nConnection: close\r\n\r\n";
  if (response.stall) {
    SendAll(client, headers + response.body.substr(0, response.body.size() / 2));
    Stall(client);
    return;
  }
  SendAll(client, headers + response.body);
  shutdown(client, SD_SEND);
}

void HttpServer::Stall(SOCKET client) const {
  char buffer[256];
  while (!stopping_) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(client, &readable);
    timeval step{0, 50000};
    const int ready = select(0, &readable, nullptr, nullptr, &step);
    if (ready < 0 || (ready > 0 && recv(client, buffer, sizeof buffer, 0) <= 0)) {
      return;
    }
  }
}

} // namespace velmora::e2e
