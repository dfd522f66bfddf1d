qb_qt_benchmark(report qb_report_samples qb_testsupport)
target_compile_definitions(bench_report PRIVATE QB_TEMPLATES_DIR="${CMAKE_SOURCE_DIR}/templates")
