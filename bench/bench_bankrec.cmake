# Bank reconciliation: a statement of 3,000 lines read and matched against a month of 3,000 lines.
qb_benchmark(bankrec qb_core qb_testsupport)
