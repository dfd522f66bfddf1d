# Entry points for people and CI; the build itself is CMake.
BUILD   ?= build
JOBS    ?= $(shell nproc)
RUNDIR  ?= run

.PHONY: setup configure build run test package bench format clean

setup:
	bash tools/setup.sh

configure: setup
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program keeps its database in the folder given; it finds its templates and help file
# in the build tree as an installed program finds them in share/quillbook.
run: build
	mkdir -p $(RUNDIR)
	cd $(RUNDIR) && ../$(BUILD)/app/quillbook --dir .

# The Debian package is built and tried first: unpacked into a scratch root, used from an
# empty folder. The server tests need a PostgreSQL server: a throwaway cluster runs beside the
# tests.
test: package
	bash tools/package_check.sh $(BUILD)
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen $(CURDIR)/tools/pg_test_cluster.sh \
		ctest --output-on-failure -j $(JOBS)

# The Debian package build/quillbook_VERSION_ARCH.deb.
package: build
	rm -f $(BUILD)/quillbook_*.deb
	cd $(BUILD) && cpack -G DEB

# The server's benchmark needs a server: the throwaway cluster runs beside them all.
bench: build
	cd $(BUILD) && $(CURDIR)/tools/pg_test_cluster.sh sh -c \
		'for b in bench/bench_*; do if [ -x "$$b" ]; then "$$b" || exit 1; fi; done'

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
