#include "http/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

namespace klv {

namespace {

constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Klevaria)";

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

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

HttpClient::HttpClient(const HttpLimits& limits) : limits_(limits) {
  InitCurlOnce();
  CURL* h = curl_easy_init();
  handle_ = h;
  if (h == nullptr) return;
  // Fixed for the handle's life: the cookie engine keeps cookies in memory
  // between this client's requests.
  curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(h, CURLOPT_PROXY, "");
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
  // Fewer than one byte per second for the stall time counts as a stall.
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, (limits_.StallMs + 999) / 1000);
  curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits_.MaxBodyBytes));
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
}

HttpClient::~HttpClient() {
  if (handle_ != nullptr) curl_easy_cleanup(static_cast<CURL*>(handle_));
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
  CURL* h = static_cast<CURL*>(handle_);
  if (h == nullptr) {
    r.failure = HttpFailure::Other;
    r.error = "HTTP client could not start";
    return r;
  }
  if (cancelled_.load()) {
    r.failure = HttpFailure::Cancelled;
    r.error = "Request cancelled";
    return r;
  }

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
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, totalMs);

  Transfer t;
  t.maxBytes = limits_.MaxBodyBytes;
  t.cancelled = &cancelled_;
  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Accept: text/html, */*");
  headers = curl_slist_append(
      headers, ("Content-Type: " + (body ? contentType : std::string("text/html"))).c_str());
  // A body goes whole with its length; no "Expect: 100-continue" round trip.
  if (body) headers = curl_slist_append(headers, "Expect:");
  char errbuf[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  if (body) {
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body->data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
  } else {
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  }
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errbuf);

  const CURLcode rc = curl_easy_perform(h);
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  // Nothing of this call may stay on the handle once it returns.
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(h, CURLOPT_POSTFIELDS, nullptr);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, nullptr);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
  curl_slist_free_all(headers);
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
    r.error = errbuf[0] != '\0' ? std::string(errbuf) : std::string(curl_easy_strerror(rc));
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
