#pragma once
// klevaria-scores under attack, on loopback only: a real service process and
// the clients that try to bring it down, for the tests and the benchmark.
// Every attack is bounded in clients, bytes and seconds. Clients spread over
// the loopback network 127.0.0.0/8 to stand for many addresses.

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace klv::scores::siege {

// A klevaria-scores process on a free loopback port.
class ServiceProcess {
 public:
  ServiceProcess() = default;
  ~ServiceProcess();  // kills it if still running
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  // Starts `binary --host 127.0.0.1 --port P` with `args` and waits until it
  // answers; false with `error` set when it does not within 20 s.
  bool Start(const std::string& binary, const std::vector<std::string>& args, std::string* error);
  int Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  bool Running();
  long ResidentKb() const;  // now; 0 when gone
  // Sends SIGTERM and waits up to `limitSeconds`, then kills. Returns the
  // seconds until it ended; ExitStatus() then holds its status.
  double Terminate(double limitSeconds = 10);
  int ExitStatus() const { return status_; }
  const std::string& Output() const { return output_; }  // what it printed, once ended

 private:
  void Collect();
  pid_t pid_ = -1;
  int port_ = 0;
  int status_ = -1;
  int outFd_ = -1;
  std::string output_;
};

struct Reply {
  int Status = 0;    // 0: no answer (refused, closed or timed out)
  std::string Head;  // the status line and headers
  std::string Body;
  double Seconds = 0;
};

// One HTTP/1.1 request from the loopback address `from`, the answer read to
// its end (the connection is closed afterwards).
Reply Request(int port, const std::string& target, const std::string& from = "127.0.0.1",
              int timeoutMs = 5000, const std::string& method = "GET",
              const std::string& extraHeaders = "");

// A non-blocking socket from the loopback address `from`, connecting to the
// service; -1 when it cannot even start.
int OpenConnection(int port, const std::string& from);

// A loopback TCP port free at the moment of asking, for a service to listen on.
int FreePort();

// A loopback address for the n-th of many clients: 127.<b>.<c>.<d>, never
// 127.0.0.1.
std::string Address(int group, int n);
// The n-th address of an IPv6 /64 given as its first four groups and "::"
// ("2001:db8:5:0::"), for a /64 routed to the loopback device (ip -6 route
// add local 2001:db8:5::/64 dev lo, as root, in a network namespace).
std::string V6Address(const std::string& prefix, int n);

// Samples a process's resident memory every 20 ms while alive.
class MemoryWatch {
 public:
  explicit MemoryWatch(const ServiceProcess& p);
  ~MemoryWatch();
  long PeakKb() const { return peak_.load(); }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<long> peak_{0};
  std::thread thread_;
};

// Clients each sending a request whose body or head never ends: a chunked
// body, or header lines of 8 KB, up to `bytesEach` or `seconds`, connecting
// again each time the service shuts the door. Returns the bytes sent (most
// of them only ever reach the system's socket buffers).
int64_t EndlessBodies(int port, int clients, int64_t bytesEach, double seconds);
int64_t EndlessHeaders(int port, int clients, int64_t bytesEach, double seconds);

// Clients that start a request and then send one header byte every
// `byteEveryMs`, connecting again whenever the service drops them, until
// Stop(). Spread over `addresses` source addresses.
class SlowClients {
 public:
  // With `v6Prefix`, the addresses are V6Address(v6Prefix, n).
  SlowClients(int port, int clients, int addresses, int byteEveryMs = 2000,
              const std::string& v6Prefix = "");
  ~SlowClients();
  void Stop();
  int Connected() const { return connected_.load(); }  // open now
  int Dropped() const { return dropped_.load(); }      // times the service ended one

 private:
  void Run();
  int port_, clients_, addresses_, byteEveryMs_;
  std::string v6Prefix_;
  std::atomic<bool> stop_{false};
  std::atomic<int> connected_{0};
  std::atomic<int> dropped_{0};
  std::thread thread_;
};

// `clients` players at once, each submitting `each` scores the way the game
// does (version query, then the record), each score from its own address.
struct BurstResult {
  int Acknowledged = 0;  // answered "OK|stored|"
  int Failed = 0;
  double Seconds = 0;
  std::vector<std::string> Names;  // of the acknowledged ones
};
BurstResult Burst(const std::vector<int>& ports, int clients, int each, const std::string& tag,
                  uint32_t baseScore = 1000);

// Latencies of `count` page and version requests made one after another
// from 127.0.0.1, sorted; a request not answered counts as `timeoutMs`.
std::vector<double> Latencies(int port, int count, int timeoutMs = 5000);
double Percentile(const std::vector<double>& sorted, double p);

// Opens `count` connections at once and returns the longest any took to be
// accepted by the system (seconds), or -1 when one failed.
double ConnectBurst(int port, int count);

}  // namespace klv::scores::siege
