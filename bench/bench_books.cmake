# Loading the book list.
qb_qt_benchmark(books qb_books qb_testsupport)
