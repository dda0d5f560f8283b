# The door: `make run` shows the product working under Wine, `make test` runs every test.
BUILD      := build
NATIVE     := $(BUILD)/native
WINDOWS    := $(BUILD)/win
JOBS       ?= 2
# Tests at once: the Wine tests wait far more than they compute, one per lane (three lanes).
TEST_JOBS  ?= 4

.PHONY: run test bench fuzz fuzzers deps build native windows prefix install msi clean

run: msi prefix
	scripts/install-package.sh
	scripts/run-demo.sh $(FOLDER)

test: build fuzzers prefix install
	cd $(NATIVE) && ctest --output-on-failure -j$(TEST_JOBS)

bench: build prefix install
	scripts/run-bench.sh

# libFuzzer targets of the core (clang, build/fuzz): a fixed number of executions each.
fuzz: deps
	JOBS=$(JOBS) fuzz/run.sh campaign

# The fuzz targets built before the tests, whose short runs of them are CTest tests: a build
# inside the test run would take both cores from the Wine tests.
fuzzers: deps
	@if command -v clang++ >/dev/null; then JOBS=$(JOBS) fuzz/run.sh build; fi

deps:
	scripts/install-deps.sh

build: deps native windows

native:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	$(MAKE) --no-print-directory -C $(NATIVE) -j$(JOBS)

windows:
	cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	      -DCMAKE_BUILD_TYPE=Release >/dev/null
	$(MAKE) --no-print-directory -C $(WINDOWS) -j$(JOBS)

# The Windows Installer package, build/TrovellePro.msi.
msi: build
	installer/build-msi.sh

prefix: deps
	scripts/wine-prefix.sh

clean:
	rm -rf $(BUILD)

install: prefix
	scripts/install.sh
