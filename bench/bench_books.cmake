# Loading the book list.
qb_benchmark(books qb_books qb_testsupport)
