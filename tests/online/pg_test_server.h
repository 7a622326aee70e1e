#pragma once
// A throw-away PostgreSQL server for the world-table tests: made with the
// system's initdb in a temporary folder, started on a free loopback port,
// trusted without passwords, without fsync, and gone when the test program
// ends, even when it ends by a crash. Under root it runs as the "postgres"
// user, as the server refuses to run as root.

#include <string>

namespace klv::scores {

class PgTestServer {
 public:
  // The server of this test program, started on first use; nullptr when it
  // cannot be, with the reason in Problem().
  static PgTestServer* Get();
  static const std::string& Problem();
  // Where the server's programs are, or empty when PostgreSQL is not installed.
  static std::string BinDir();

  // A new, empty database and its address.
  std::string NewDatabase();
  // Runs SQL as the superuser on `database`; throws on failure.
  void Exec(const std::string& database, const std::string& sql);
  int Port() const { return port_; }

  ~PgTestServer();

 private:
  PgTestServer() = default;
  bool Start(std::string* problem);

  std::string bin_, dir_;
  int port_ = 0;
  int guardPipe_ = -1;
  int guardPid_ = -1;
  int databases_ = 0;
};

}  // namespace klv::scores
