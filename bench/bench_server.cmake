# A ledger on a PostgreSQL server beside bare libpq; run beside the test cluster (make bench).
qb_benchmark(server qb_core PkgConfig::LIBPQ)
