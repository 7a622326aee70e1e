#include "score_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "rate_limiter.h"
#include "score_service.h"

namespace klv::scores {

namespace {

// Room for one connection's request head, its parsed headers and the
// answer's headers; a request head that does not fit is answered 431.
constexpr std::size_t kConnectionMemory = ScoreServer::kMaxRequestHead + 1024;
constexpr int kWatchIntervalMs = 100;
// The largest body taken: a replay file.
constexpr std::size_t kMaxUploadBytes = 256 * 1024;
constexpr const char* kContentSecurityPolicy =
    "default-src 'none'; style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'; "
    "frame-ancestors 'none'";

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string AddressText(const sockaddr* a) {
  char buf[INET6_ADDRSTRLEN] = "";
  if (a == nullptr) return "";
  if (a->sa_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a)->sin_addr, buf, sizeof buf);
  } else if (a->sa_family == AF_INET6) {
    const in6_addr& a6 = reinterpret_cast<const sockaddr_in6*>(a)->sin6_addr;
    // An IPv4 client of a dual-stack socket is named as IPv4, as a trusted
    // proxy's address is written.
    if (IN6_IS_ADDR_V4MAPPED(&a6)) {
      inet_ntop(AF_INET, a6.s6_addr + 12, buf, sizeof buf);
    } else {
      inet_ntop(AF_INET6, &a6, buf, sizeof buf);
    }
  }
  return buf;
}

bool IsAddress(const std::string& s) {
  in6_addr a6{};
  in_addr a4{};
  return inet_pton(AF_INET, s.c_str(), &a4) == 1 || inet_pton(AF_INET6, s.c_str(), &a6) == 1;
}

std::string Trim(std::string s) {
  const std::size_t b = s.find_first_not_of(" \t");
  const std::size_t e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

}  // namespace

struct ScoreServer::Impl {
  // What the server keeps of one open connection.
  struct Conn {
    int Fd = -1;
    std::string Address;     // counted under: an IPv4 address, or an IPv6 /64
    int64_t DeadlineMs = 0;  // the request must have arrived by then; 0: none due
    int64_t OpenedMs = 0;
  };

  ScoreService& service;
  Options options;
  std::string error;
  MHD_Daemon* daemon = nullptr;

  std::mutex mutex;  // guards what follows
  std::unordered_set<Conn*> conns;
  std::unordered_map<std::string, int> perAddress;
  bool stopping = false;
  std::condition_variable wake;
  std::thread watchdog;

  explicit Impl(ScoreService& s) : service(s) {}

  int Listen();
  void Watch();

  static MHD_Result Accept(void* cls, const sockaddr* addr, socklen_t);
  static void Notify(void* cls, MHD_Connection* c, void** context, MHD_ConnectionNotificationCode);
  static void Completed(void* cls, MHD_Connection* c, void** requestContext,
                        MHD_RequestTerminationCode);
  static MHD_Result Answer(void* cls, MHD_Connection* c, const char* url, const char* method,
                           const char*, const char*, size_t* uploadSize, void**);
  std::string Client(MHD_Connection* c);
  // When the connection's request must be whole; 0: it is.
  void SetDeadline(MHD_Connection* c, int64_t deadlineMs);
  void MakeRoom();
};

int ScoreServer::Impl::Listen() {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(options.Port);
  const int rc = getaddrinfo(options.Host.c_str(), port.c_str(), &hints, &found);
  if (rc != 0) {
    error = "cannot use the address " + options.Host + ": " + gai_strerror(rc);
    return -1;
  }
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> hold(found, &freeaddrinfo);
  const int fd = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("cannot open a socket: ") + std::strerror(errno);
    return -1;
  }
  const int on = 1;
  const int off = 0;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (found->ai_family == AF_INET6) ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
  // The system keeps at most net.core.somaxconn waiting; never fewer than 128
  // are asked for, so that a burst of players is queued rather than dropped.
  const int backlog = options.Backlog < 128 ? 128 : options.Backlog;
  if (::bind(fd, found->ai_addr, found->ai_addrlen) != 0 || ::listen(fd, backlog) != 0) {
    error = "cannot listen on " + options.Host + ":" + port + ": " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

MHD_Result ScoreServer::Impl::Accept(void* cls, const sockaddr* addr, socklen_t) {
  Impl& s = *static_cast<Impl*>(cls);
  if (s.options.MaxPerAddress <= 0) return MHD_YES;
  const std::string a = AddressText(addr);
  if (!s.options.TrustedProxy.empty() && a == s.options.TrustedProxy) return MHD_YES;
  std::lock_guard<std::mutex> lock(s.mutex);
  const auto it = s.perAddress.find(ClientKey(a));
  return it != s.perAddress.end() && it->second >= s.options.MaxPerAddress ? MHD_NO : MHD_YES;
}

void ScoreServer::Impl::Notify(void* cls, MHD_Connection* c, void** context,
                               MHD_ConnectionNotificationCode code) {
  Impl& s = *static_cast<Impl*>(cls);
  if (code == MHD_CONNECTION_NOTIFY_STARTED) {
    auto* conn = new Conn;
    if (const MHD_ConnectionInfo* i = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD))
      conn->Fd = i->connect_fd;
    if (const MHD_ConnectionInfo* i =
            MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS))
      conn->Address = ClientKey(AddressText(i->client_addr));
    conn->OpenedMs = NowMs();
    conn->DeadlineMs = conn->OpenedMs + s.options.HeadSeconds * 1000;
    std::lock_guard<std::mutex> lock(s.mutex);
    s.conns.insert(conn);
    ++s.perAddress[conn->Address];
    *context = conn;
    s.MakeRoom();
    return;
  }
  // Closed: the library closes the socket only after this returns, so the
  // watchdog never touches a descriptor that may have been reused.
  auto* conn = static_cast<Conn*>(*context);
  if (conn == nullptr) return;
  std::lock_guard<std::mutex> lock(s.mutex);
  s.conns.erase(conn);
  if (--s.perAddress[conn->Address] <= 0) s.perAddress.erase(conn->Address);
  delete conn;
  *context = nullptr;
}

void ScoreServer::Impl::Completed(void* cls, MHD_Connection* c, void** requestContext,
                                  MHD_RequestTerminationCode) {
  // An upload cut off half-way leaves its body here.
  if (requestContext != nullptr) {
    delete static_cast<std::string*>(*requestContext);
    *requestContext = nullptr;
  }
  // A kept-alive connection owes its next request within the same time.
  Impl& s = *static_cast<Impl*>(cls);
  const MHD_ConnectionInfo* i = MHD_get_connection_info(c, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  if (i == nullptr || i->socket_context == nullptr) return;
  std::lock_guard<std::mutex> lock(s.mutex);
  static_cast<Conn*>(i->socket_context)->DeadlineMs = NowMs() + s.options.RequestSeconds * 1000;
}

// With the table nearly full, a new connection pushes out the oldest one that
// has not yet sent its whole request head: a flood of clients that never
// finish costs them their place, and a player's request, sent at once, goes
// through. Called with the mutex held.
void ScoreServer::Impl::MakeRoom() {
  const std::size_t nearlyFull = static_cast<std::size_t>(options.MaxConnections) * 7 / 8;
  if (conns.size() <= nearlyFull) return;
  Conn* oldest = nullptr;
  for (Conn* conn : conns) {
    if (conn->DeadlineMs != 0 && conn->Fd >= 0 &&
        (oldest == nullptr || conn->OpenedMs < oldest->OpenedMs)) {
      oldest = conn;
    }
  }
  if (oldest == nullptr) return;
  ::shutdown(oldest->Fd, SHUT_RDWR);
  oldest->DeadlineMs = 0;
}

// The library's own time-out counts from the last byte received, which a
// client sending one byte a second keeps alive forever. This counts from the
// start of the request and closes the connection under the library's feet
// (shutdown, not close: the descriptor stays the library's to close).
void ScoreServer::Impl::Watch() {
  std::unique_lock<std::mutex> lock(mutex);
  while (!stopping) {
    wake.wait_for(lock, std::chrono::milliseconds(kWatchIntervalMs));
    const int64_t now = NowMs();
    for (Conn* conn : conns) {
      if (conn->DeadlineMs != 0 && now > conn->DeadlineMs && conn->Fd >= 0) {
        ::shutdown(conn->Fd, SHUT_RDWR);
        conn->DeadlineMs = 0;
      }
    }
  }
}

void ScoreServer::Impl::SetDeadline(MHD_Connection* c, int64_t deadlineMs) {
  const MHD_ConnectionInfo* i = MHD_get_connection_info(c, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  if (i == nullptr || i->socket_context == nullptr) return;
  std::lock_guard<std::mutex> lock(mutex);
  static_cast<Conn*>(i->socket_context)->DeadlineMs = deadlineMs;
}

std::string ScoreServer::Impl::Client(MHD_Connection* c) {
  std::string peer;
  if (const MHD_ConnectionInfo* i = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS))
    peer = AddressText(i->client_addr);
  if (options.TrustedProxy.empty() || peer != options.TrustedProxy) return peer;
  // The proxy adds the address it saw last, at the end of the last line (a
  // proxy may add a line of its own rather than extend the client's);
  // anything before it the client may have written itself.
  std::string last;
  MHD_get_connection_values(
      c, MHD_HEADER_KIND,
      [](void* out, MHD_ValueKind, const char* key, const char* value) {
        if (key != nullptr && value != nullptr && strcasecmp(key, "X-Forwarded-For") == 0) {
          *static_cast<std::string*>(out) = value;
        }
        return MHD_YES;
      },
      &last);
  const std::size_t comma = last.rfind(',');
  const std::string client = Trim(comma == std::string::npos ? last : last.substr(comma + 1));
  return IsAddress(client) ? client : peer;
}

MHD_Result ScoreServer::Impl::Answer(void* cls, MHD_Connection* c, const char* url,
                                     const char* method, const char*, const char* uploadData,
                                     size_t* uploadSize, void** requestContext) {
  Impl& s = *static_cast<Impl*>(cls);
  const bool get = std::strcmp(method, MHD_HTTP_METHOD_GET) == 0;
  const bool head = std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
  const bool post = std::strcmp(method, MHD_HTTP_METHOD_POST) == 0;
  const bool replayPath = std::strcmp(url, "/cgi/replay.pl") == 0;
  const char* length = MHD_lookup_connection_value(c, MHD_HEADER_KIND, "Content-Length");
  const bool chunked =
      MHD_lookup_connection_value(c, MHD_HEADER_KIND, "Transfer-Encoding") != nullptr;
  // An upload of a replay: a body of a length given up front and no larger
  // than a replay, read whole before it is answered, within BodySeconds.
  const bool upload = post && replayPath && !chunked && length != nullptr &&
                      std::strlen(length) <= 7 &&
                      std::strspn(length, "0123456789") == std::strlen(length) && *length != '\0' &&
                      std::strtoul(length, nullptr, 10) <= kMaxUploadBytes;
  if (upload) {
    auto* body = static_cast<std::string*>(*requestContext);
    if (body == nullptr) {
      // The head is in; the body is due by the body's deadline.
      *requestContext = new std::string;
      s.SetDeadline(c, NowMs() + s.options.BodySeconds * 1000);
      return MHD_YES;
    }
    if (*uploadSize != 0) {
      if (body->size() + *uploadSize > kMaxUploadBytes) return MHD_NO;  // more than it said
      body->append(uploadData, *uploadSize);
      *uploadSize = 0;
      return MHD_YES;
    }
  }
  s.SetDeadline(c, 0);  // the request has arrived

  ServiceAnswer a;
  bool close = false;
  const bool body =
      chunked || (length != nullptr && std::strcmp(length, "0") != 0) || *uploadSize != 0;
  if (!get && !head && !(post && replayPath)) {
    a = ServiceAnswer{405, "text/plain; charset=utf-8", "ERR|method|", 0, ""};
    close = true;
  } else if (body && !upload) {
    a = ServiceAnswer{413, "text/plain; charset=utf-8", "ERR|body|", 0, ""};
    close = true;
  } else if (std::strcmp(url, "/cgi/version.pl") != 0 && !replayPath) {
    a = ServiceAnswer{404, "text/plain; charset=utf-8", "ERR|path|", 0, ""};
  } else {
    ScoreService::Query query;
    MHD_get_connection_values(
        c, MHD_GET_ARGUMENT_KIND,
        [](void* q, MHD_ValueKind, const char* key, const char* value) {
          static_cast<ScoreService::Query*>(q)->emplace(key, value ? value : "");
          return MHD_YES;
        },
        &query);
    try {
      if (replayPath) {
        static const std::string kNoBody;
        const auto* got = static_cast<std::string*>(*requestContext);
        a = s.service.HandleReplay(query, post, got ? *got : kNoBody, s.Client(c));
      } else {
        a = s.service.Handle(query, s.Client(c));
      }
    } catch (const std::exception&) {
      a = ServiceAnswer{500, "text/plain; charset=utf-8", "ERR|internal|", 0, ""};
    }
  }
  delete static_cast<std::string*>(*requestContext);
  *requestContext = nullptr;

  MHD_Response* r =
      MHD_create_response_from_buffer(a.Body.size(), a.Body.data(), MHD_RESPMEM_MUST_COPY);
  if (r == nullptr) return MHD_NO;
  MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_TYPE, a.ContentType.c_str());
  MHD_add_response_header(r, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
  // The page is text and its own style sheet: no script, nothing fetched,
  // never inside another site's frame, nothing told to the sites it links.
  MHD_add_response_header(r, "Content-Security-Policy", kContentSecurityPolicy);
  MHD_add_response_header(r, "X-Content-Type-Options", "nosniff");
  MHD_add_response_header(r, "X-Frame-Options", "DENY");
  MHD_add_response_header(r, "Referrer-Policy", "no-referrer");
  if (a.Status == 405) {
    MHD_add_response_header(r, MHD_HTTP_HEADER_ALLOW, replayPath ? "GET, HEAD, POST" : "GET, HEAD");
  }
  if (!a.Disposition.empty()) {
    MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_DISPOSITION, a.Disposition.c_str());
  }
  if (a.RetryAfter > 0) {
    MHD_add_response_header(r, MHD_HTTP_HEADER_RETRY_AFTER, std::to_string(a.RetryAfter).c_str());
  }
  // A body we refused to read is never read: the connection ends with the answer.
  if (close) MHD_add_response_header(r, MHD_HTTP_HEADER_CONNECTION, "close");
  const MHD_Result queued = MHD_queue_response(c, static_cast<unsigned>(a.Status), r);
  MHD_destroy_response(r);
  return queued;
}

ScoreServer::ScoreServer(ScoreService& service) : impl_(new Impl(service)) {}

ScoreServer::~ScoreServer() {
  Stop();
}

const std::string& ScoreServer::Error() const {
  return impl_->error;
}

int ScoreServer::Start(const Options& options) {
  Impl& s = *impl_;
  if (s.daemon != nullptr) return -1;
  s.options = options;
  if (s.options.RequestSeconds < 1) s.options.RequestSeconds = 1;
  if (s.options.HeadSeconds < 1) s.options.HeadSeconds = 1;
  const int fd = s.Listen();
  if (fd < 0) return -1;
  sockaddr_storage bound{};
  socklen_t len = sizeof bound;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len);
  const int port = bound.ss_family == AF_INET6
                       ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                       : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);

  const unsigned threads = static_cast<unsigned>(options.Threads > 0 ? options.Threads : 1);
  // Each event loop is woken for a stop through a channel of its own: a loop
  // at its share of the connection cap no longer watches the listening
  // socket, and would otherwise notice the stop only when a connection
  // timed out (seconds later).
  s.daemon = MHD_start_daemon(
      MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ITC, 0, &Impl::Accept, &s,
      &Impl::Answer, &s, MHD_OPTION_LISTEN_SOCKET, fd, MHD_OPTION_THREAD_POOL_SIZE, threads,
      MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(options.MaxConnections),
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory, MHD_OPTION_CONNECTION_TIMEOUT,
      static_cast<unsigned>(s.options.RequestSeconds), MHD_OPTION_NOTIFY_CONNECTION, &Impl::Notify,
      &s, MHD_OPTION_NOTIFY_COMPLETED, &Impl::Completed, &s, MHD_OPTION_END);
  if (s.daemon == nullptr) {
    ::close(fd);
    s.error = "cannot start the HTTP server";
    return -1;
  }
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.stopping = false;
  }
  s.watchdog = std::thread([&s] { s.Watch(); });
  return port;
}

void ScoreServer::Stop() {
  Impl& s = *impl_;
  if (s.daemon == nullptr) return;
  MHD_stop_daemon(s.daemon);  // closes the listening socket and every connection
  s.daemon = nullptr;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.stopping = true;
  }
  s.wake.notify_all();
  s.watchdog.join();
}

}  // namespace klv::scores
