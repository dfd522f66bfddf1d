qb_benchmark(admin qb_core)
