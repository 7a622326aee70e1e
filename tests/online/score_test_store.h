#pragma once
// The store the world-table tests run on: SQLite files in klevaria-tests,
// and the same tests again on a throw-away PostgreSQL server in
// klevaria-scores-pg-tests (built with KLV_SCORES_ON_POSTGRES).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifdef KLV_SCORES_ON_POSTGRES
#include "pg_test_server.h"
#endif

namespace klv::scores {

#ifdef KLV_SCORES_ON_POSTGRES
inline constexpr bool kOnPostgres = true;
#else
inline constexpr bool kOnPostgres = false;
#endif

// A fresh, empty database: a file in `dir`, or a new PostgreSQL database.
// Empty, with a test failure, when none can be had.
inline std::string FreshDatabase(const std::filesystem::path& dir) {
#ifdef KLV_SCORES_ON_POSTGRES
  (void)dir;
  PgTestServer* pg = PgTestServer::Get();
  if (pg == nullptr) {
    ADD_FAILURE() << "no PostgreSQL server: " << PgTestServer::Problem();
    return "";
  }
  return pg->NewDatabase();
#else
  return (dir / "scores.db").string();
#endif
}

}  // namespace klv::scores
