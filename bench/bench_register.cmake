# Opening a full month in the register's grid, and typing an amount into its first line.
qb_qt_benchmark(register qb_register qb_testsupport)
