#include "score_store.h"

#include <mutex>
#include <random>

#include "postgres_store.h"
#include "sqlite_store.h"

namespace klv::scores {

bool IsPostgresAddress(std::string_view where) {
  return where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0;
}

std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& where, int connections,
                                           bool readOnly) {
  if (IsPostgresAddress(where)) {
    return std::make_unique<PostgresStore>(where, connections, readOnly);
  }
  return std::make_unique<SqliteStore>(where, readOnly);
}

std::string RandomToken() {
  static std::mutex m;
  static std::random_device device;
  std::lock_guard<std::mutex> lock(m);
  static const char* hex = "0123456789abcdef";
  std::string t;
  for (int i = 0; i < 4; ++i) {
    uint32_t v = device();
    for (int k = 0; k < 8; ++k, v >>= 4) t.push_back(hex[v & 15]);
  }
  return t;
}

}  // namespace klv::scores
