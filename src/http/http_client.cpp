#include "http/http_client.h"

#include <algorithm>
#include <mutex>

#include "http/curl_library.h"

namespace klv {

namespace {

constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Klevaria)";

struct Transfer {
  std::string body;
  std::size_t maxBytes = 0;
  bool tooLarge = false;
  const std::atomic<bool>* cancelled = nullptr;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  if (t->body.size() + n > t->maxBytes) {
    t->tooLarge = true;
    return 0;  // makes curl abort with a write error
  }
  t->body.append(data, n);
  return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  return t->cancelled->load() ? 1 : 0;
}

}  // namespace

HttpClient::HttpClient() : HttpClient(HttpLimits{}) {}

HttpClient::HttpClient(const HttpLimits& limits) : limits_(limits) {}

HttpClient::~HttpClient() {
  if (handle_ != nullptr) Curl().EasyCleanup(static_cast<CURL*>(handle_));
}

// The handle is made by the first request, so that a client that is never
// used (and the game's start) does not open libcurl.
void* HttpClient::Handle(std::string& error) {
  if (handle_ != nullptr) return handle_;
  const CurlLibrary& curl = Curl();
  if (!curl.Error.empty()) {
    error = "HTTP client could not start: " + curl.Error;
    return nullptr;
  }
  CURL* h = curl.EasyInit();
  if (h == nullptr) {
    error = "HTTP client could not start";
    return nullptr;
  }
  handle_ = h;
  const auto set = curl.EasySetopt;
  // Fixed for the handle's life: the cookie engine keeps cookies in memory
  // between this client's requests.
  set(h, CURLOPT_COOKIEFILE, "");
  set(h, CURLOPT_PROXY, "");
  set(h, CURLOPT_NOSIGNAL, 1L);
  set(h, CURLOPT_FOLLOWLOCATION, 0L);
  set(h, CURLOPT_PROTOCOLS_STR, "http,https");
  set(h, CURLOPT_USERAGENT, kUserAgent);
  // Fewer than one byte per second for the stall time counts as a stall.
  set(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  set(h, CURLOPT_LOW_SPEED_TIME, (limits_.StallMs + 999) / 1000);
  set(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits_.MaxBodyBytes));
  set(h, CURLOPT_WRITEFUNCTION, OnBody);
  set(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
  set(h, CURLOPT_NOPROGRESS, 0L);
  return handle_;
}

void HttpClient::Cancel() {
  cancelled_.store(true);
}

void HttpClient::SetDeadline(std::chrono::steady_clock::time_point deadline) {
  deadline_.store(deadline.time_since_epoch().count());
}

HttpClient::Result HttpClient::Get(const std::string& url) {
  return Request(url, nullptr, "");
}

HttpClient::Result HttpClient::Post(const std::string& url, const std::string& body,
                                    const std::string& contentType) {
  return Request(url, &body, contentType);
}

HttpClient::Result HttpClient::Request(const std::string& url, const std::string* body,
                                       const std::string& contentType) {
  Result r;
  std::lock_guard<std::mutex> lock(mutex_);
  if (cancelled_.load()) {
    r.failure = HttpFailure::Cancelled;
    r.error = "Request cancelled";
    return r;
  }
  CURL* h = static_cast<CURL*>(Handle(r.error));
  if (h == nullptr) {
    r.failure = HttpFailure::Other;
    return r;
  }
  const CurlLibrary& curl = Curl();
  const auto set = curl.EasySetopt;

  // The request's own limits, cut short by the deadline when it comes first.
  long totalMs = limits_.TotalMs;
  long connectMs = limits_.ConnectMs;
  const std::chrono::steady_clock::time_point deadline{
      std::chrono::steady_clock::duration(deadline_.load())};
  if (deadline != std::chrono::steady_clock::time_point::max()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      r.failure = HttpFailure::Timeout;
      r.error = "No time left for the request";
      return r;
    }
    totalMs = std::min<long>(totalMs, static_cast<long>(left));
    connectMs = std::min<long>(connectMs, static_cast<long>(left));
  }
  set(h, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
  set(h, CURLOPT_TIMEOUT_MS, totalMs);

  Transfer t;
  t.maxBytes = limits_.MaxBodyBytes;
  t.cancelled = &cancelled_;
  curl_slist* headers = nullptr;
  headers = curl.SlistAppend(headers, "Accept: text/html, */*");
  headers = curl.SlistAppend(
      headers, ("Content-Type: " + (body ? contentType : std::string("text/html"))).c_str());
  // A body goes whole with its length; no "Expect: 100-continue" round trip.
  if (body) headers = curl.SlistAppend(headers, "Expect:");
  char errbuf[CURL_ERROR_SIZE] = {};
  set(h, CURLOPT_URL, url.c_str());
  if (body) {
    set(h, CURLOPT_POST, 1L);
    set(h, CURLOPT_POSTFIELDS, body->data());
    set(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
  } else {
    set(h, CURLOPT_HTTPGET, 1L);
  }
  set(h, CURLOPT_HTTPHEADER, headers);
  set(h, CURLOPT_WRITEDATA, &t);
  set(h, CURLOPT_XFERINFODATA, &t);
  set(h, CURLOPT_ERRORBUFFER, errbuf);

  const CURLcode rc = curl.EasyPerform(h);
  long status = 0;
  curl.EasyGetinfo(h, CURLINFO_RESPONSE_CODE, &status);
  // Nothing of this call may stay on the handle once it returns.
  set(h, CURLOPT_HTTPHEADER, nullptr);
  set(h, CURLOPT_POSTFIELDS, nullptr);
  set(h, CURLOPT_WRITEDATA, nullptr);
  set(h, CURLOPT_XFERINFODATA, nullptr);
  set(h, CURLOPT_ERRORBUFFER, nullptr);
  curl.SlistFreeAll(headers);
  r.status = status;

  if (rc != CURLE_OK) {
    switch (rc) {
      case CURLE_COULDNT_CONNECT:
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_RESOLVE_PROXY:
        r.failure = HttpFailure::Connect;
        break;
      case CURLE_OPERATION_TIMEDOUT:
        r.failure = HttpFailure::Timeout;
        break;
      case CURLE_FILESIZE_EXCEEDED:
        r.failure = HttpFailure::TooLarge;
        break;
      case CURLE_WRITE_ERROR:
        r.failure = t.tooLarge ? HttpFailure::TooLarge : HttpFailure::Other;
        break;
      case CURLE_ABORTED_BY_CALLBACK:
        r.failure = HttpFailure::Cancelled;
        break;
      default:
        r.failure = HttpFailure::Other;
        break;
    }
    r.error = errbuf[0] != '\0' ? std::string(errbuf) : std::string(curl.EasyStrerror(rc));
    return r;
  }
  if (status >= 300 && status < 400) {
    r.failure = HttpFailure::Redirect;
    r.error = "Redirect refused (HTTP " + std::to_string(status) + ")";
    return r;
  }
  if (status < 200 || status >= 300) {
    r.failure = HttpFailure::Status;
    r.error = "HTTP status " + std::to_string(status);
    return r;
  }
  r.ok = true;
  r.body = std::move(t.body);
  return r;
}

}  // namespace klv
