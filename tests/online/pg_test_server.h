#pragma once
// A throw-away PostgreSQL server for the world-table tests: made with the
// system's initdb in a temporary folder, started on a free loopback port,
// trusted without passwords, without fsync, and gone when the test program
// ends, even when it ends by a crash. Under root it runs as the "postgres"
// user, as the server refuses to run as root.

#include <string>
#include <vector>

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

  // Hangs every process of the server (SIGSTOP), as a server whose machine
  // froze; Resume() lets it go on. The server resumes when the program ends.
  bool Pause();
  void Resume();
  // Stops the server, dropping every connection, and starts it again on the
  // same port.
  bool Restart();
  // Stops the server for good, or until StartAgain(): its port is free.
  bool StopServer();
  bool StartAgain();

  ~PgTestServer();

 private:
  PgTestServer() = default;
  bool Start(std::string* problem);

  std::string bin_, dir_;
  int Postmaster() const;
  bool Control(const std::string& action);

  int port_ = 0;
  bool switchUser_ = false;  // the server runs as the "postgres" user
  unsigned runUid_ = 0, runGid_ = 0;
  std::vector<int> paused_;  // processes stopped by Pause()
  int guardPipe_ = -1;
  int guardPid_ = -1;
  int databases_ = 0;
};

}  // namespace klv::scores
