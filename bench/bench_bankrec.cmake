# Bank reconciliation: a statement of 20,000 lines read and matched against a month of 20,000 lines.
qb_benchmark(bankrec qb_core qb_testsupport)
