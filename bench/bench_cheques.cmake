# The cheque register's next blank leaf with eight cashiers on a server; beside the test cluster.
qb_benchmark(cheques qb_core)
