# Start-up to the login panel on a sample database.
qb_qt_benchmark(shell qb_app qb_testsupport)
