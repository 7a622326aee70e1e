#include "rate_limiter.h"

#include <arpa/inet.h>

#include <algorithm>
#include <iterator>

namespace klv::scores {

int64_t RateLimiter::Take(const std::string& key, int64_t nowMs) {
  if (perMinute_ <= 0) return 0;
  const int64_t step = 60'000 / perMinute_;  // ms to earn one request back
  const int64_t burst = 60'000 - step;       // how far ahead an address may run
  std::lock_guard<std::mutex> lock(mutex_);
  if (nowMs >= nextSweepMs_ || full_.size() >= kMaxTracked) Sweep(nowMs);
  auto [it, fresh] = full_.try_emplace(key, nowMs);
  int64_t& full = it->second;
  if (fresh || full < nowMs) full = nowMs;
  if (full - nowMs > burst) return (full - nowMs - burst + 999) / 1000;
  full += step;
  return 0;
}

std::size_t RateLimiter::Tracked() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return full_.size();
}

void RateLimiter::Sweep(int64_t nowMs) {
  for (auto it = full_.begin(); it != full_.end();) {
    it = it->second <= nowMs ? full_.erase(it) : std::next(it);
  }
  if (full_.size() >= kMaxTracked) full_.clear();
  nextSweepMs_ = nowMs + 10'000;
}

std::string ClientKey(const std::string& address) {
  in6_addr a6{};
  if (address.find(':') != std::string::npos && inet_pton(AF_INET6, address.c_str(), &a6) == 1) {
    // An IPv4 client on a dual-stack socket stays an IPv4 client.
    static const unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    char buf[INET6_ADDRSTRLEN];
    if (std::equal(kMapped, kMapped + 12, a6.s6_addr)) {
      inet_ntop(AF_INET, a6.s6_addr + 12, buf, sizeof buf);
      return buf;
    }
    for (int i = 8; i < 16; ++i) a6.s6_addr[i] = 0;
    inet_ntop(AF_INET6, &a6, buf, sizeof buf);
    return std::string(buf) + "/64";
  }
  return address;
}

}  // namespace klv::scores
