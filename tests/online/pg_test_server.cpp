#include "pg_test_server.h"

#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "siege.h"

namespace klv::scores {

namespace {

namespace fs = std::filesystem;

std::string& ProblemText() {
  static std::string p;
  return p;
}

// The user the server runs as: ourselves, or "postgres" when we are root.
struct RunAs {
  bool Switch = false;
  uid_t Uid = 0;
  gid_t Gid = 0;
};

// The argument vectors are made before fork: the child only calls what is
// safe between fork and exec.
struct Argv {
  explicit Argv(std::vector<std::string> a) : args(std::move(a)) {
    for (std::string& s : args) ptrs.push_back(s.data());
    ptrs.push_back(nullptr);
  }
  std::vector<std::string> args;
  std::vector<char*> ptrs;
};

[[noreturn]] void ExecAs(const RunAs& as, Argv& argv, int logFd) {
  if (logFd >= 0) {
    ::dup2(logFd, 1);
    ::dup2(logFd, 2);
  }
  // The server's user may not enter the folder we were started in.
  if (::chdir("/") != 0) ::_exit(125);
  if (as.Switch &&
      (::setgroups(0, nullptr) != 0 || ::setgid(as.Gid) != 0 || ::setuid(as.Uid) != 0)) {
    ::_exit(126);
  }
  ::execv(argv.ptrs[0], argv.ptrs.data());
  ::_exit(127);
}

int Run(const RunAs& as, std::vector<std::string> args, int logFd) {
  Argv argv(std::move(args));
  const pid_t pid = ::fork();
  if (pid == 0) ExecAs(as, argv, logFd);
  int st = 0;
  ::waitpid(pid, &st, 0);
  return WIFEXITED(st) ? WEXITSTATUS(st) : 128;
}

PgTestServer* g_server = nullptr;

}  // namespace

std::string PgTestServer::BinDir() {
  std::string best;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    const fs::path bin = e.path() / "bin";
    if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl") && bin.string() > best)
      best = bin.string();
  }
  return best;
}

const std::string& PgTestServer::Problem() {
  return ProblemText();
}

PgTestServer* PgTestServer::Get() {
  static std::once_flag once;
  std::call_once(once, [] {
    auto* s = new PgTestServer;
    if (s->Start(&ProblemText())) {
      g_server = s;
      std::atexit([] { delete g_server; });
    } else {
      delete s;
    }
  });
  return g_server;
}

bool PgTestServer::Start(std::string* problem) {
  bin_ = BinDir();
  if (bin_.empty()) {
    *problem = "PostgreSQL is not installed (no initdb under /usr/lib/postgresql)";
    return false;
  }
  RunAs as;
  if (::geteuid() == 0) {
    const passwd* pw = ::getpwnam("postgres");
    if (pw == nullptr) {
      *problem = "running as root and there is no postgres user to run the server as";
      return false;
    }
    as = RunAs{true, pw->pw_uid, pw->pw_gid};
  }
  switchUser_ = as.Switch;
  runUid_ = as.Uid;
  runGid_ = as.Gid;
  char tmpl[] = "/tmp/klv-pg-XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) {
    *problem = "cannot make a temporary folder";
    return false;
  }
  dir_ = tmpl;
  // The folder is the server's: its data, its socket and its log.
  if (as.Switch && ::chown(dir_.c_str(), as.Uid, as.Gid) != 0) {
    *problem = "cannot hand " + dir_ + " to the postgres user";
    fs::remove_all(dir_);
    return false;
  }
  const std::string data = dir_ + "/data";
  const std::string log = dir_ + "/server.log";
  // What the tools say goes to a file beside the data, read when they fail.
  const std::string setupLog = dir_ + "/setup.log";
  const int logFd = ::open(setupLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int initdb = Run(as,
                         {bin_ + "/initdb", "-D", data, "-U", "postgres", "--auth=trust",
                          "--no-sync", "-E", "UTF8", "--no-locale", "--no-instructions"},
                         logFd);
  if (initdb != 0) {
    *problem = "initdb failed with status " + std::to_string(initdb) + " (see " + setupLog + ")";
    ::close(logFd);
    fs::remove_all(dir_);
    return false;
  }
  for (int attempt = 0; attempt < 3 && port_ == 0; ++attempt) {
    const int port = siege::FreePort();
    const int rc = Run(as,
                       {bin_ + "/pg_ctl", "-D", data, "-l", log, "-w", "-t", "60", "-o",
                        "-F -p " + std::to_string(port) + " -k " + dir_ +
                            " -c listen_addresses=127.0.0.1 -c max_connections=200"
                            " -c shared_buffers=16MB -c full_page_writes=off",
                        "start"},
                       logFd);
    if (rc == 0) port_ = port;
  }
  ::close(logFd);
  if (port_ == 0) {
    *problem = "pg_ctl could not start the server (see " + log + ")";
    return false;
  }

  // A guard outlives a crash of this program: when the pipe closes it stops
  // the server and removes the folder.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    *problem = "pipe";
    return false;
  }
  Argv stop({bin_ + "/pg_ctl", "-D", data, "-m", "immediate", "-w", "stop"});
  Argv remove({"/bin/rm", "-rf", dir_});
  Argv resume(
      {"/bin/sh", "-c",
       "p=$(head -n 1 '" + data + "/postmaster.pid') && kill -CONT $p && pkill -CONT -P $p"});
  const pid_t guard = ::fork();
  if (guard == 0) {
    ::close(fds[1]);
    char c;
    while (::read(fds[0], &c, 1) != 0) {
    }
    // A server left paused by a test that crashed is let go first.
    const pid_t r = ::fork();
    if (r == 0) ExecAs(RunAs{}, resume, ::open("/dev/null", O_WRONLY));
    ::waitpid(r, nullptr, 0);
    const pid_t p = ::fork();
    if (p == 0) ExecAs(as, stop, ::open("/dev/null", O_WRONLY));
    ::waitpid(p, nullptr, 0);
    const pid_t q = ::fork();
    if (q == 0) ExecAs(RunAs{}, remove, -1);
    ::waitpid(q, nullptr, 0);
    ::_exit(0);
  }
  ::close(fds[0]);
  guardPipe_ = fds[1];
  guardPid_ = guard;
  return true;
}

int PgTestServer::Postmaster() const {
  std::ifstream f(dir_ + "/data/postmaster.pid");
  int pid = 0;
  return f >> pid ? pid : -1;
}

bool PgTestServer::Pause() {
  // The postmaster and its children (each in a session of its own): stopped
  // at once, no new backend can start.
  const int pid = Postmaster();
  if (pid <= 0 || ::kill(pid, SIGSTOP) != 0) return false;
  paused_ = {pid};
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/proc", ec)) {
    std::ifstream stat(e.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // pid (name) state ppid ...; the name may hold spaces and brackets.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    int ppid = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == pid) {
      const int child = std::atoi(line.c_str());
      if (::kill(child, SIGSTOP) == 0) paused_.push_back(child);
    }
  }
  return true;
}

void PgTestServer::Resume() {
  for (const int pid : paused_) ::kill(pid, SIGCONT);
  paused_.clear();
}

bool PgTestServer::Control(const std::string& action) {
  Resume();
  const RunAs as{switchUser_, static_cast<uid_t>(runUid_), static_cast<gid_t>(runGid_)};
  const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  // pg_ctl remembers the options of the first start.
  const int rc = Run(as,
                     {bin_ + "/pg_ctl", "-D", dir_ + "/data", "-l", dir_ + "/server.log", "-w",
                      "-t", "60", "-m", "fast", action},
                     devNull);
  ::close(devNull);
  return rc == 0;
}

bool PgTestServer::Restart() {
  return Control("restart");
}

bool PgTestServer::StopServer() {
  return Control("stop");
}

bool PgTestServer::StartAgain() {
  return Control("restart");
}

PgTestServer::~PgTestServer() {
  Resume();
  if (guardPipe_ >= 0) ::close(guardPipe_);
  if (guardPid_ > 0) ::waitpid(guardPid_, nullptr, 0);
}

void PgTestServer::Exec(const std::string& database, const std::string& sql) {
  const std::string address =
      "postgresql://postgres@127.0.0.1:" + std::to_string(port_) + "/" + database;
  std::unique_ptr<PGconn, decltype(&PQfinish)> c(PQconnectdb(address.c_str()), &PQfinish);
  if (PQstatus(c.get()) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(c.get()));
  std::unique_ptr<PGresult, decltype(&PQclear)> r(PQexec(c.get(), sql.c_str()), &PQclear);
  const ExecStatusType s = PQresultStatus(r.get());
  if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK)
    throw std::runtime_error(sql + ": " + PQerrorMessage(c.get()));
}

std::string PgTestServer::NewDatabase() {
  static std::mutex m;
  std::lock_guard<std::mutex> lock(m);
  const std::string name = "klv_" + std::to_string(++databases_);
  Exec("postgres", "CREATE DATABASE " + name);
  return "postgresql://postgres@127.0.0.1:" + std::to_string(port_) + "/" + name;
}

}  // namespace klv::scores
