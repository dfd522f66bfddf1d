# Opening a full month in the register's grid, typing an amount into its first line, and saving
# an entry through the entry panel.
qb_qt_benchmark(register qb_register qb_testsupport)
