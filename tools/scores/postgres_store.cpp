#include "postgres_store.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

#include "engine/cp1251.h"
#include "online/score_record.h"

namespace klv::scores {

namespace {

// Any number held by the service and no other program on the database: the
// first service to start creates the tables while the others wait.
constexpr const char* kSchemaLock = "2718281828";
// Starting up may wait on another service creating the tables.
constexpr int64_t kStartMs = 30000;

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// The database did not answer in time; the connection is left mid-call and
// is not used again.
class StoreTimeout : public StoreError {
 public:
  using StoreError::StoreError;
};

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string Message(PGconn* c) {
  std::string m = PQerrorMessage(c);
  while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
  return m;
}

// How often a wait on the database looks whether the service is stopping.
constexpr int64_t kStopLookMs = 50;

// Waits until the connection's socket is ready for `events`; false once the
// deadline has passed or `stop` is set.
bool Wait(PGconn* c, const std::atomic<bool>& stop, short events, int64_t deadlineMs) {
  for (;;) {
    const int64_t left = deadlineMs - NowMs();
    if (left <= 0 || stop.load()) return false;
    pollfd p{PQsocket(c), events, 0};
    const int rc = ::poll(&p, 1, static_cast<int>(std::min(left, kStopLookMs)));
    if (rc > 0) return true;
    if (rc < 0 && errno != EINTR) return false;
  }
}

[[noreturn]] void NoAnswer(const std::atomic<bool>& stop) {
  throw StoreTimeout(stop.load() ? "the service is stopping" : "the database did not answer");
}

// Runs one statement with text parameters by the deadline; throws on any
// failure, StoreTimeout when the database did not answer in time.
Result Run(PGconn* c, const std::atomic<bool>& stop, int64_t deadlineMs, const char* sql,
           std::initializer_list<std::string> params = {}) {
  std::vector<const char*> values;
  for (const std::string& p : params) values.push_back(p.c_str());
  if (PQsendQueryParams(c, sql, static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                        nullptr, 0) == 0) {
    throw StoreError(Message(c));
  }
  for (int f; (f = PQflush(c)) != 0;) {
    if (f < 0) throw StoreError(Message(c));
    if (!Wait(c, stop, POLLOUT | POLLIN, deadlineMs)) NoAnswer(stop);
    if (PQconsumeInput(c) == 0) throw StoreError(Message(c));
  }
  Result first(nullptr, &PQclear);
  for (;;) {
    while (PQisBusy(c)) {
      if (!Wait(c, stop, POLLIN, deadlineMs)) NoAnswer(stop);
      if (PQconsumeInput(c) == 0) throw StoreError(Message(c));
    }
    PGresult* r = PQgetResult(c);
    if (r == nullptr) break;
    if (first) {
      PQclear(r);
    } else {
      first.reset(r);
    }
  }
  const ExecStatusType s = first ? PQresultStatus(first.get()) : PGRES_FATAL_ERROR;
  if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK) throw StoreError(Message(c));
  return first;
}

int64_t Int(const Result& r, int row, int col) {
  return std::stoll(PQgetvalue(r.get(), row, col));
}

int64_t Affected(const Result& r) {
  const char* n = PQcmdTuples(r.get());
  return *n ? std::stoll(n) : 0;
}

// Bytes as hex digits, the text form decode(..., 'hex') reads.
std::string HexOf(const std::vector<uint8_t>& bytes) {
  static const char* hex = "0123456789abcdef";
  std::string s;
  s.reserve(bytes.size() * 2);
  for (const uint8_t b : bytes) s += {hex[b >> 4], hex[b & 15]};
  return s;
}

std::vector<uint8_t> BytesOfHex(const char* text) {
  auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  std::vector<uint8_t> bytes;
  for (; text[0] != '\0' && text[1] != '\0'; text += 2) {
    bytes.push_back(static_cast<uint8_t>(digit(text[0]) << 4 | digit(text[1])));
  }
  return bytes;
}

// The address as it may be shown: any password left out.
std::string Shown(const std::string& address) {
  const std::size_t scheme = address.find("://");
  const std::size_t at = address.find('@');
  if (scheme == std::string::npos || at == std::string::npos) return address;
  const std::size_t colon = address.find(':', scheme + 3);
  if (colon == std::string::npos || colon > at) return address;
  return address.substr(0, colon) + address.substr(at);
}

}  // namespace

PostgresStore::PostgresStore(const std::string& address, int connections, bool readOnly)
    : address_(address),
      shown_(Shown(address)),
      capacity_(connections > 0 ? connections : 1),
      readOnly_(readOnly) {
  const int64_t deadline = NowMs() + kStartMs;
  PGconn* c = Connect(deadline);
  try {
    if (!readOnly_) {
      CreateTables(c, deadline);
    } else {
      proofColumns_ = PQntuples(Run(c, interrupted_, deadline,
                                    "SELECT 1 FROM information_schema.columns"
                                    " WHERE table_name = 'scores' AND column_name = 'proof'")
                                    .get()) > 0;
    }
  } catch (const StoreError& e) {
    PQfinish(c);
    throw StoreError("cannot write the database " + shown_ + ": " + e.what());
  }
  std::lock_guard<std::mutex> lock(mutex_);
  idle_.push_back(c);
  open_ = 1;
  prober_ = std::thread([this] { Probe(); });
}

void PostgresStore::CreateTables(PGconn* c, int64_t deadline) {
  {
    Run(c, interrupted_, deadline, "SELECT pg_advisory_lock($1)", {kSchemaLock});
    try {
      Run(c, interrupted_, deadline,
          "CREATE TABLE IF NOT EXISTS scores ("
          " id BIGSERIAL PRIMARY KEY,"
          " name TEXT NOT NULL,"
          " score BIGINT NOT NULL,"
          " add_text TEXT NOT NULL,"
          " submitted BIGINT NOT NULL)");
      Run(c, interrupted_, deadline,
          "CREATE INDEX IF NOT EXISTS scores_rank ON scores (score DESC, id)");
      // The proofs by replay came later: a table made before them gains the
      // columns in place, its entries unproven.
      Run(c, interrupted_, deadline,
          "ALTER TABLE scores ADD COLUMN IF NOT EXISTS p TEXT,"
          " ADD COLUMN IF NOT EXISTS proof INTEGER NOT NULL DEFAULT 0,"
          " ADD COLUMN IF NOT EXISTS replay BYTEA");
      Run(c, interrupted_, deadline, "CREATE INDEX IF NOT EXISTS scores_p ON scores (p)");
      Run(c, interrupted_, deadline,
          "CREATE TABLE IF NOT EXISTS proof_queue ("
          " score_id BIGINT PRIMARY KEY,"
          " replay BYTEA NOT NULL,"
          " lease BIGINT NOT NULL DEFAULT 0,"
          " tries INTEGER NOT NULL DEFAULT 0)");
      Run(c, interrupted_, deadline,
          "CREATE TABLE IF NOT EXISTS tokens (p TEXT PRIMARY KEY, issued BIGINT NOT NULL)");
      Run(c, interrupted_, deadline, "CREATE INDEX IF NOT EXISTS tokens_issued ON tokens (issued)");
      Run(c, interrupted_, deadline,
          "CREATE TABLE IF NOT EXISTS service (k TEXT PRIMARY KEY, v TEXT NOT NULL)");
      // Proves the tables take a write under this user.
      Run(c, interrupted_, deadline,
          "INSERT INTO service (k, v) VALUES ('opened', now()::text)"
          " ON CONFLICT (k) DO UPDATE SET v = EXCLUDED.v");
    } catch (...) {
      try {
        Run(c, interrupted_, deadline, "SELECT pg_advisory_unlock($1)", {kSchemaLock});
      } catch (const StoreError&) {
        // The lock goes with the connection, closed below.
      }
      throw;
    }
    Run(c, interrupted_, deadline, "SELECT pg_advisory_unlock($1)", {kSchemaLock});
  }
}

PostgresStore::~PostgresStore() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    probe_.notify_all();
  }
  if (prober_.joinable()) prober_.join();
  for (PGconn* c : idle_) PQfinish(c);
}

PGconn* PostgresStore::Connect(int64_t deadlineMs) {
  // Keep-alives and the TCP user time-out end a connection whose server has
  // vanished from the network; the deadline bounds everything else.
  const char* keys[] = {"dbname",
                        "application_name",
                        "keepalives",
                        "keepalives_idle",
                        "keepalives_interval",
                        "keepalives_count",
                        "tcp_user_timeout",
                        "connect_timeout",
                        "client_encoding",
                        "options",
                        nullptr};
  // The server's own bound on a statement, past ours.
  const char* options = readOnly_ ? "-c statement_timeout=2500 -c default_transaction_read_only=on"
                                  : "-c statement_timeout=2500";
  const char* values[] = {address_.c_str(), "klevaria-scores", "1",    "10", "3", "3", "5000", "2",
                          "UTF8",           options,           nullptr};
  PGconn* c = PQconnectStartParams(keys, values, 1);
  auto fail = [&](const std::string& why) {
    PQfinish(c);
    throw StoreError("cannot open the database " + shown_ + ": " + why);
  };
  if (c == nullptr) fail("out of memory");
  for (PostgresPollingStatusType st = PGRES_POLLING_WRITING; st != PGRES_POLLING_OK;) {
    if (st == PGRES_POLLING_FAILED || PQstatus(c) == CONNECTION_BAD) fail(Message(c));
    if (!Wait(c, interrupted_, st == PGRES_POLLING_READING ? POLLIN : POLLOUT, deadlineMs)) {
      fail(interrupted_.load() ? "the service is stopping" : "no answer in time");
    }
    st = PQconnectPoll(c);
  }
  PQsetnonblocking(c, 1);
  // The server's notices ("relation already exists") are not for the log.
  PQsetNoticeProcessor(
      c, [](void*, const char*) {}, nullptr);
  return c;
}

PGconn* PostgresStore::Borrow(int64_t deadlineMs, bool* fresh) {
  std::unique_lock<std::mutex> lock(mutex_);
  // The database failed lately: calls fail at once, and the prober alone
  // tries it again, off the requests' threads.
  if (retryMs_ > 0) throw StoreError("the database " + shown_ + " is not answering");
  if (interrupted_.load()) throw StoreError("the service is stopping");
  for (;;) {
    if (!idle_.empty()) {
      PGconn* c = idle_.back();
      idle_.pop_back();
      return c;
    }
    if (open_ < capacity_) {
      ++open_;
      lock.unlock();
      try {
        PGconn* c = Connect(deadlineMs);
        *fresh = true;
        return c;
      } catch (...) {
        lock.lock();
        --open_;
        returned_.notify_one();
        lock.unlock();
        Failed(NowMs());
        throw;
      }
    }
    const auto until = std::chrono::steady_clock::time_point(std::chrono::milliseconds(deadlineMs));
    if (returned_.wait_until(lock, until) == std::cv_status::timeout && idle_.empty() &&
        open_ >= capacity_) {
      throw StoreError("no database connection free");
    }
    if (interrupted_.load()) throw StoreError("the service is stopping");
  }
}

void PostgresStore::Return(PGconn* c, bool broken) {
  const bool healthy =
      !broken && PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE;
  if (!healthy) PQfinish(c);
  std::lock_guard<std::mutex> lock(mutex_);
  if (healthy) {
    idle_.push_back(c);
  } else {
    --open_;
  }
  returned_.notify_one();
}

void PostgresStore::DropIdle() {
  std::vector<PGconn*> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    dropped.swap(idle_);
    open_ -= static_cast<int>(dropped.size());
    returned_.notify_all();
  }
  for (PGconn* c : dropped) PQfinish(c);
}

void PostgresStore::Failed(int64_t nowMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  retryMs_ = retryMs_ == 0 ? kFirstRetryMs : std::min(2 * retryMs_, kLastRetryMs);
  retryAtMs_ = nowMs + retryMs_;
  probe_.notify_all();
}

void PostgresStore::Answered() {
  std::lock_guard<std::mutex> lock(mutex_);
  retryMs_ = 0;
}

// While the database fails: a new connection every retryMs_, until one
// succeeds and joins the pool.
void PostgresStore::Probe() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!closing_) {
    if (retryMs_ == 0) {
      probe_.wait(lock);
      continue;
    }
    const auto at = std::chrono::steady_clock::time_point(std::chrono::milliseconds(retryAtMs_));
    if (probe_.wait_until(lock, at) == std::cv_status::no_timeout || closing_) continue;
    if (retryMs_ == 0 || NowMs() < retryAtMs_) continue;
    lock.unlock();
    PGconn* c = nullptr;
    try {
      c = Connect(NowMs() + kCallMs);
    } catch (const StoreError&) {
    }
    if (c == nullptr) {
      Failed(NowMs());
      lock.lock();
      continue;
    }
    lock.lock();
    if (open_ < capacity_ && !closing_) {
      ++open_;
      idle_.push_back(c);
      c = nullptr;
      returned_.notify_one();
    }
    retryMs_ = 0;
    lock.unlock();
    PQfinish(c);  // nothing when it joined the pool
    lock.lock();
  }
}

template <class T>
T PostgresStore::Call(const std::function<T(PGconn*, int64_t)>& work) {
  const int64_t deadline = NowMs() + kCallMs;
  for (int attempt = 0;; ++attempt) {
    bool fresh = false;
    PGconn* c = Borrow(deadline, &fresh);
    try {
      T result = work(c, deadline);
      Return(c, false);
      Answered();
      return result;
    } catch (const StoreError& e) {
      const bool timedOut = dynamic_cast<const StoreTimeout*>(&e) != nullptr;
      const bool lost = PQstatus(c) != CONNECTION_OK;
      Return(c, timedOut);
      if (timedOut || lost) {
        // The other idle connections date from the same database: after a
        // restart they are all gone, and a hung one hangs them all.
        DropIdle();
        if (lost && !timedOut && !fresh && attempt == 0) continue;
        Failed(NowMs());
      }
      throw;
    }
  }
}

void PostgresStore::Interrupt() {
  std::lock_guard<std::mutex> lock(mutex_);
  interrupted_ = true;
  returned_.notify_all();  // calls waiting for a free connection
}

std::string PostgresStore::IssueToken(int64_t now) {
  const std::string token = RandomToken();
  return Call<std::string>([&](PGconn* c, int64_t deadline) {
    Run(c, interrupted_, deadline, "INSERT INTO tokens (p, issued) VALUES ($1, $2)",
        {token, std::to_string(now)});
    return token;
  });
}

int64_t PostgresStore::PurgeTokens(int64_t now) {
  return Call<int64_t>([&](PGconn* c, int64_t deadline) {
    return Affected(Run(c, interrupted_, deadline, "DELETE FROM tokens WHERE issued <= $1",
                        {std::to_string(now - kTokenLifetimeSeconds)}));
  });
}

int64_t PostgresStore::OutstandingTokens() {
  return Call<int64_t>([&](PGconn* c, int64_t deadline) {
    return Int(Run(c, interrupted_, deadline, "SELECT COUNT(*) FROM tokens"), 0, 0);
  });
}

ScoreStore::SubmitResult PostgresStore::Submit(const ScoreRecord& record, int64_t now) {
  // One statement, so one transaction: of two services handed the same
  // token at once, the second finds it gone. Made again after a lost
  // connection, it stores nothing twice: the first try either committed
  // and used the token up, or did nothing.
  return Call<SubmitResult>([&](PGconn* c, int64_t deadline) {
    const Result r =
        Run(c, interrupted_, deadline,
            "WITH used AS (DELETE FROM tokens WHERE p = $1 AND issued > $2 RETURNING p)"
            " INSERT INTO scores (name, score, add_text, submitted, p)"
            " SELECT $3, $4, $5, $6, $1 FROM used RETURNING id",
            {record.P, std::to_string(now - kTokenLifetimeSeconds), Cp1251ToUtf8(record.Name),
             std::to_string(record.Score), Cp1251ToUtf8(record.Add), std::to_string(now)});
    return PQntuples(r.get()) == 1 ? SubmitResult::Stored : SubmitResult::UnknownToken;
  });
}

std::vector<StoredScore> PostgresStore::Best(int limit, ProofFilter which) {
  if (!proofColumns_ && which == ProofFilter::Verified) return {};
  const char* where = which == ProofFilter::Verified                      ? " WHERE proof = 2"
                      : which == ProofFilter::Unverified && proofColumns_ ? " WHERE proof <> 2"
                                                                          : "";
  const std::string sql = std::string("SELECT id, name, score, add_text, submitted, ") +
                          (proofColumns_ ? "proof" : "0") + " FROM scores" + where +
                          " ORDER BY score DESC, id LIMIT $1";
  return Call<std::vector<StoredScore>>([&](PGconn* c, int64_t deadline) {
    const Result r = Run(c, interrupted_, deadline, sql.c_str(), {std::to_string(limit)});
    std::vector<StoredScore> rows;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
      StoredScore s;
      s.Id = Int(r, i, 0);
      s.Name = PQgetvalue(r.get(), i, 1);
      s.Score = static_cast<uint32_t>(Int(r, i, 2));
      s.Add = PQgetvalue(r.get(), i, 3);
      s.Submitted = Int(r, i, 4);
      s.Verified = Int(r, i, 5) == static_cast<int>(ProofState::Verified);
      rows.push_back(std::move(s));
    }
    return rows;
  });
}

std::optional<ScoreStore::Claim> PostgresStore::FindClaim(const std::string& p, int64_t now) {
  if (!proofColumns_) return std::nullopt;
  return Call<std::optional<Claim>>([&](PGconn* c, int64_t deadline) -> std::optional<Claim> {
    const Result r = Run(c, interrupted_, deadline,
                         "SELECT id, name, score, proof FROM scores WHERE p = $1 AND submitted > $2"
                         " ORDER BY id DESC LIMIT 1",
                         {p, std::to_string(now - kTokenLifetimeSeconds)});
    if (PQntuples(r.get()) != 1) return std::nullopt;
    Claim claim;
    claim.Id = Int(r, 0, 0);
    claim.Name = PQgetvalue(r.get(), 0, 1);
    claim.Score = static_cast<uint32_t>(Int(r, 0, 2));
    claim.State = static_cast<ProofState>(Int(r, 0, 3));
    return claim;
  });
}

bool PostgresStore::QueueProof(int64_t id, const std::vector<uint8_t>& replay) {
  // One statement: the entry is marked and the replay queued together, and
  // of two uploads for one entry only the first finds it unproven.
  return Call<bool>([&](PGconn* c, int64_t deadline) {
    const Result r = Run(c, interrupted_, deadline,
                         "WITH marked AS (UPDATE scores SET proof = 1 WHERE id = $1 AND proof = 0"
                         " RETURNING id)"
                         " INSERT INTO proof_queue (score_id, replay)"
                         " SELECT id, decode($2, 'hex') FROM marked RETURNING score_id",
                         {std::to_string(id), HexOf(replay)});
    return PQntuples(r.get()) == 1;
  });
}

int64_t PostgresStore::QueuedProofs() {
  if (!proofColumns_) return 0;
  return Call<int64_t>([&](PGconn* c, int64_t deadline) {
    return Int(Run(c, interrupted_, deadline, "SELECT COUNT(*) FROM proof_queue"), 0, 0);
  });
}

std::optional<ProofJob> PostgresStore::TakeProof(int64_t now, int64_t leaseSeconds) {
  // Each service takes a job no other holds: a row another transaction has
  // locked is skipped, not waited for, and a lease that ran out (its
  // service was killed mid-way) makes the job free again.
  return Call<std::optional<ProofJob>>([&](PGconn* c, int64_t deadline) -> std::optional<ProofJob> {
    const Result r =
        Run(c, interrupted_, deadline,
            "WITH next AS (SELECT score_id FROM proof_queue WHERE lease <= $1"
            " ORDER BY score_id LIMIT 1 FOR UPDATE SKIP LOCKED),"
            " taken AS (UPDATE proof_queue q SET lease = $2, tries = q.tries + 1 FROM next"
            " WHERE q.score_id = next.score_id RETURNING q.score_id, q.replay, q.tries - 1 AS t)"
            " SELECT taken.score_id, encode(taken.replay, 'hex'), taken.t, s.name, s.score"
            " FROM taken LEFT JOIN scores s ON s.id = taken.score_id",
            {std::to_string(now), std::to_string(now + leaseSeconds)});
    if (PQntuples(r.get()) != 1) return std::nullopt;
    ProofJob job;
    job.Id = Int(r, 0, 0);
    job.Replay = BytesOfHex(PQgetvalue(r.get(), 0, 1));
    job.Tries = static_cast<int>(Int(r, 0, 2));
    if (PQgetisnull(r.get(), 0, 4)) {
      // The operator removed the entry: its proof goes with it.
      Run(c, interrupted_, deadline, "DELETE FROM proof_queue WHERE score_id = $1",
          {std::to_string(job.Id)});
      return std::nullopt;
    }
    job.Name = PQgetvalue(r.get(), 0, 3);
    job.Score = static_cast<uint32_t>(Int(r, 0, 4));
    return job;
  });
}

void PostgresStore::FinishProof(int64_t id, bool verified) {
  Call<int64_t>([&](PGconn* c, int64_t deadline) {
    return Affected(Run(
        c, interrupted_, deadline,
        "WITH done AS (DELETE FROM proof_queue WHERE score_id = $1 RETURNING score_id, replay)"
        " UPDATE scores SET proof = $2, replay = CASE WHEN $3 THEN"
        " (SELECT replay FROM done) ELSE NULL END WHERE id = $1",
        {std::to_string(id),
         std::to_string(static_cast<int>(verified ? ProofState::Verified : ProofState::Refused)),
         verified ? "true" : "false"}));
  });
}

void PostgresStore::ReturnProof(int64_t id) {
  Call<int64_t>([&](PGconn* c, int64_t deadline) {
    return Affected(Run(c, interrupted_, deadline,
                        "UPDATE proof_queue SET lease = 0, tries = GREATEST(tries - 1, 0)"
                        " WHERE score_id = $1",
                        {std::to_string(id)}));
  });
}

std::vector<uint8_t> PostgresStore::VerifiedReplay(int64_t id) {
  if (!proofColumns_) return {};
  return Call<std::vector<uint8_t>>([&](PGconn* c, int64_t deadline) {
    const Result r = Run(c, interrupted_, deadline,
                         "SELECT encode(replay, 'hex') FROM scores WHERE id = $1 AND proof = 2"
                         " AND replay IS NOT NULL",
                         {std::to_string(id)});
    return PQntuples(r.get()) == 1 ? BytesOfHex(PQgetvalue(r.get(), 0, 0)) : std::vector<uint8_t>();
  });
}

int64_t PostgresStore::Count() {
  return Call<int64_t>([&](PGconn* c, int64_t deadline) {
    return Int(Run(c, interrupted_, deadline, "SELECT COUNT(*) FROM scores"), 0, 0);
  });
}

int64_t PostgresStore::RemoveById(int64_t id) {
  return Call<int64_t>([&](PGconn* c, int64_t deadline) {
    return Affected(
        Run(c, interrupted_, deadline, "DELETE FROM scores WHERE id = $1", {std::to_string(id)}));
  });
}

int64_t PostgresStore::RemoveByName(const std::string& utf8Name) {
  return Call<int64_t>([&](PGconn* c, int64_t deadline) {
    return Affected(
        Run(c, interrupted_, deadline, "DELETE FROM scores WHERE name = $1", {utf8Name}));
  });
}

}  // namespace klv::scores
