// klevaria-scores-pg-tests: the world-table service's tests once more, on a
// throw-away PostgreSQL server shared by all of them. Exits 77 (skipped)
// only where PostgreSQL is not installed at all.
#include <gtest/gtest.h>

#include <cstdio>

#include "pg_test_server.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (klv::scores::PgTestServer::BinDir().empty()) {
    std::printf("skipped: PostgreSQL is not installed (scripts/install-deps installs it)\n");
    return 77;
  }
  return RUN_ALL_TESTS();
}
