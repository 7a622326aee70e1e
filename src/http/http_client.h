#pragma once
// The game's HTTP client: one request (GET, or POST of a small body) at a
// time, answer body or failure. It is
// safe to call from a worker thread; Cancel() may be called from any thread.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

namespace klv {

// Bounds every request so that a dead or hostile server can never hold the
// game: all times in milliseconds.
struct HttpLimits {
  long ConnectMs = 3000;                 // TCP connect (and name lookup)
  long TotalMs = 8000;                   // whole request, connect included
  long StallMs = 4000;                   // no byte received for this long
  std::size_t MaxBodyBytes = 64 * 1024;  // larger answers are cut off and fail
};

enum class HttpFailure {
  None,
  Connect,    // no connection could be made
  Timeout,    // a time limit ran out, or the server stalled
  TooLarge,   // the answer outgrew MaxBodyBytes
  Status,     // the server answered with an HTTP error status
  Redirect,   // the server answered with a redirect; it is never followed
  Cancelled,  // Cancel() was called
  Other,      // any other transfer or address error
};

class HttpClient {
 public:
  struct Result {
    bool ok = false;
    std::string body;   // the answer's body when ok
    std::string error;  // a short English description when not ok
    HttpFailure failure = HttpFailure::None;
    long status = 0;  // HTTP status received, 0 when none
  };

  HttpClient();
  explicit HttpClient(const HttpLimits& limits);
  virtual ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Sends GET to url (http or https only, no proxy, cookies kept between
  // requests of this client) and waits for the whole answer. Any status
  // outside 200..299 is a failure.
  virtual Result Get(const std::string& url);
  // Sends POST with `body` (its bytes as they are) under the same rules.
  virtual Result Post(const std::string& url, const std::string& body,
                      const std::string& contentType);

  // Makes the request in flight, and every later one, fail at once.
  virtual void Cancel();

  // Ends every later request by `deadline` at the latest, whatever time its
  // own limits would give it; a request asked for after the deadline fails
  // at once with Timeout. time_point::max() (the start value) lifts it.
  void SetDeadline(std::chrono::steady_clock::time_point deadline);

  const HttpLimits& Limits() const { return limits_; }

 private:
  Result Request(const std::string& url, const std::string* body, const std::string& contentType);
  void* Handle(std::string& error);  // under mutex_
  HttpLimits limits_;
  std::atomic<bool> cancelled_{false};
  // SetDeadline's moment, in steady-clock ticks since its epoch.
  std::atomic<std::chrono::steady_clock::rep> deadline_{
      std::chrono::steady_clock::time_point::max().time_since_epoch().count()};
  std::mutex mutex_;        // one transfer at a time on the handle
  void* handle_ = nullptr;  // the curl easy handle, reused for its cookies
};

}  // namespace klv
