# Entry points for people and CI; the build itself is CMake.
BUILD   ?= build
JOBS    ?= $(shell nproc)
RUNDIR  ?= run

.PHONY: setup configure build run test bench format clean

setup:
	bash tools/setup.sh

configure: setup
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program looks for its database, templates and help file in the working directory.
run: build
	mkdir -p $(RUNDIR)
	cp -f $(BUILD)/workdir/* $(RUNDIR)/ 2>/dev/null || true
	cd $(RUNDIR) && ../$(BUILD)/app/quillbook

# The server tests need a PostgreSQL server: a throwaway cluster runs beside the tests.
test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen $(CURDIR)/tools/pg_test_cluster.sh \
		ctest --output-on-failure -j $(JOBS)

bench: build
	cd $(BUILD) && for b in bench/bench_*; do if [ -x "$$b" ]; then "$$b" || exit 1; fi; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
