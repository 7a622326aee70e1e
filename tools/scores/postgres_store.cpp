#include "postgres_store.h"

#include <libpq-fe.h>

#include <chrono>
#include <memory>

#include "engine/cp1251.h"
#include "online/score_record.h"

namespace klv::scores {

namespace {

// Any number held by the service and no other program on the database: the
// first service to start creates the tables while the others wait.
constexpr const char* kSchemaLock = "2718281828";

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

std::string Message(PGconn* c) {
  std::string m = PQerrorMessage(c);
  while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
  return m;
}

// Runs one statement with text parameters; throws on any failure.
Result Run(PGconn* c, const char* sql, std::initializer_list<std::string> params = {}) {
  std::vector<const char*> values;
  for (const std::string& p : params) values.push_back(p.c_str());
  Result r(PQexecParams(c, sql, static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                        nullptr, 0),
           &PQclear);
  const ExecStatusType s = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
  if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK) throw StoreError(Message(c));
  return r;
}

int64_t Int(const Result& r, int row, int col) {
  return std::stoll(PQgetvalue(r.get(), row, col));
}

int64_t Affected(const Result& r) {
  const char* n = PQcmdTuples(r.get());
  return *n ? std::stoll(n) : 0;
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

// A connection lent for one call; a connection found broken is closed
// instead of returned, and the next call opens a new one.
class PostgresStore::Lease {
 public:
  explicit Lease(PostgresStore& store) : store_(store), c_(store.Borrow()) {}
  ~Lease() { store_.Return(c_); }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
  PGconn* get() const { return c_; }

 private:
  PostgresStore& store_;
  PGconn* c_;
};

PostgresStore::PostgresStore(const std::string& address, int connections)
    : address_(address), shown_(Shown(address)), capacity_(connections > 0 ? connections : 1) {
  PGconn* c = Connect();
  try {
    Run(c, "SELECT pg_advisory_lock($1)", {kSchemaLock});
    try {
      Run(c,
          "CREATE TABLE IF NOT EXISTS scores ("
          " id BIGSERIAL PRIMARY KEY,"
          " name TEXT NOT NULL,"
          " score BIGINT NOT NULL,"
          " add_text TEXT NOT NULL,"
          " submitted BIGINT NOT NULL)");
      Run(c, "CREATE INDEX IF NOT EXISTS scores_rank ON scores (score DESC, id)");
      Run(c, "CREATE TABLE IF NOT EXISTS tokens (p TEXT PRIMARY KEY, issued BIGINT NOT NULL)");
      Run(c, "CREATE INDEX IF NOT EXISTS tokens_issued ON tokens (issued)");
      Run(c, "CREATE TABLE IF NOT EXISTS service (k TEXT PRIMARY KEY, v TEXT NOT NULL)");
      // Proves the tables take a write under this user.
      Run(c,
          "INSERT INTO service (k, v) VALUES ('opened', now()::text)"
          " ON CONFLICT (k) DO UPDATE SET v = EXCLUDED.v");
    } catch (...) {
      Result(PQexecParams(c, "SELECT pg_advisory_unlock($1)", 1, nullptr, &kSchemaLock, nullptr,
                          nullptr, 0),
             &PQclear);
      throw;
    }
    Run(c, "SELECT pg_advisory_unlock($1)", {kSchemaLock});
  } catch (const StoreError& e) {
    PQfinish(c);
    throw StoreError("cannot write the database " + shown_ + ": " + e.what());
  }
  std::lock_guard<std::mutex> lock(mutex_);
  idle_.push_back(c);
  open_ = 1;
}

PostgresStore::~PostgresStore() {
  for (PGconn* c : idle_) PQfinish(c);
}

PGconn* PostgresStore::Connect() {
  const char* keys[] = {"dbname", "connect_timeout", "application_name", nullptr};
  const char* values[] = {address_.c_str(), "5", "klevaria-scores", nullptr};
  PGconn* c = PQconnectdbParams(keys, values, 1);
  if (c == nullptr || PQstatus(c) != CONNECTION_OK) {
    const std::string m = c ? Message(c) : "out of memory";
    PQfinish(c);
    throw StoreError("cannot open the database " + shown_ + ": " + m);
  }
  PQsetClientEncoding(c, "UTF8");
  // The server's notices ("relation already exists") are not for the log.
  PQsetNoticeProcessor(
      c, [](void*, const char*) {}, nullptr);
  // Bounds every call, so that stopping never waits long on the database.
  Result(PQexec(c, "SET statement_timeout = 2500"), &PQclear);
  return c;
}

PGconn* PostgresStore::Borrow() {
  std::unique_lock<std::mutex> lock(mutex_);
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
        return Connect();
      } catch (...) {
        lock.lock();
        --open_;
        returned_.notify_one();
        throw;
      }
    }
    if (returned_.wait_for(lock, std::chrono::seconds(5)) == std::cv_status::timeout &&
        idle_.empty() && open_ >= capacity_) {
      throw StoreError("no database connection free");
    }
  }
}

void PostgresStore::Return(PGconn* c) {
  const bool healthy = PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE;
  if (!healthy) PQfinish(c);
  std::lock_guard<std::mutex> lock(mutex_);
  if (healthy) {
    idle_.push_back(c);
  } else {
    --open_;
  }
  returned_.notify_one();
}

std::string PostgresStore::IssueToken(int64_t now) {
  const std::string token = RandomToken();
  Lease l(*this);
  Run(l.get(), "INSERT INTO tokens (p, issued) VALUES ($1, $2)", {token, std::to_string(now)});
  return token;
}

int64_t PostgresStore::PurgeTokens(int64_t now) {
  Lease l(*this);
  return Affected(Run(l.get(), "DELETE FROM tokens WHERE issued <= $1",
                      {std::to_string(now - kTokenLifetimeSeconds)}));
}

int64_t PostgresStore::OutstandingTokens() {
  Lease l(*this);
  return Int(Run(l.get(), "SELECT COUNT(*) FROM tokens"), 0, 0);
}

ScoreStore::SubmitResult PostgresStore::Submit(const ScoreRecord& record, int64_t now) {
  Lease l(*this);
  // One statement, so one transaction: of two services handed the same
  // token at once, the second finds it gone.
  const Result r =
      Run(l.get(),
          "WITH used AS (DELETE FROM tokens WHERE p = $1 AND issued > $2 RETURNING p)"
          " INSERT INTO scores (name, score, add_text, submitted)"
          " SELECT $3, $4, $5, $6 FROM used RETURNING id",
          {record.P, std::to_string(now - kTokenLifetimeSeconds), Cp1251ToUtf8(record.Name),
           std::to_string(record.Score), Cp1251ToUtf8(record.Add), std::to_string(now)});
  return PQntuples(r.get()) == 1 ? SubmitResult::Stored : SubmitResult::UnknownToken;
}

std::vector<StoredScore> PostgresStore::Best(int limit) {
  Lease l(*this);
  const Result r = Run(l.get(),
                       "SELECT id, name, score, add_text, submitted FROM scores"
                       " ORDER BY score DESC, id LIMIT $1",
                       {std::to_string(limit)});
  std::vector<StoredScore> rows;
  for (int i = 0; i < PQntuples(r.get()); ++i) {
    StoredScore s;
    s.Id = Int(r, i, 0);
    s.Name = PQgetvalue(r.get(), i, 1);
    s.Score = static_cast<uint32_t>(Int(r, i, 2));
    s.Add = PQgetvalue(r.get(), i, 3);
    s.Submitted = Int(r, i, 4);
    rows.push_back(std::move(s));
  }
  return rows;
}

int64_t PostgresStore::Count() {
  Lease l(*this);
  return Int(Run(l.get(), "SELECT COUNT(*) FROM scores"), 0, 0);
}

int64_t PostgresStore::RemoveById(int64_t id) {
  Lease l(*this);
  return Affected(Run(l.get(), "DELETE FROM scores WHERE id = $1", {std::to_string(id)}));
}

int64_t PostgresStore::RemoveByName(const std::string& utf8Name) {
  Lease l(*this);
  return Affected(Run(l.get(), "DELETE FROM scores WHERE name = $1", {utf8Name}));
}

}  // namespace klv::scores
