# Opening a full month in the register's grid, typing an amount into its first line, exporting it.
qb_qt_benchmark(register qb_register qb_testsupport)
