# Start-up to the login panel on a sample database.
qb_benchmark(shell qb_app qb_testsupport)
