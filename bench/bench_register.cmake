# Opening a full month in the register's grid, typing an amount into its first line, saving an
# entry through the entry panel, exporting the month.
qb_qt_benchmark(register qb_register qb_testsupport)
