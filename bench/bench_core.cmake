# The ledger engine on a sample database of 100 books x 10 years x 100 lines a month, generated
# once into a cache file under /tmp and reused.
qb_benchmark(core qb_core PkgConfig::SQLCIPHER)
