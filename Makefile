# Front door of the build. `make run`, `make test` and `make deb` install what
# is missing first (scripts/install-deps), each only what it needs.
BUILD       ?= build
TEST_BUILD  ?= build/test
BENCH_BUILD ?= build/bench
PACKAGES    ?= build/packages
PREFIX      ?= /usr/local
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps test-deps package-deps build compile run test bench soak fuzz deb install \
	uninstall run-scores format format-check clean

all: build

deps:
	@scripts/install-deps

test-deps:
	@scripts/install-deps --test

package-deps:
	@scripts/install-deps --package

# The game, its data and the world-table service; no tests or test tools.
$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKLV_BUILD_TESTS=OFF \
	  -DKLV_SCREENSHOTS=OFF $(CMAKE_FLAGS)

build: deps compile

compile: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/game && ./klevaria

# The packages are checked by the tests: lintian, and the game played from
# the unpacked package.
$(TEST_BUILD)/CMakeCache.txt:
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKLV_SANITIZE=ON \
	  -DKLV_PACKAGE_DIR=$(abspath $(PACKAGES)) $(CMAKE_FLAGS)

test: test-deps format-check deb $(TEST_BUILD)/CMakeCache.txt
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure -j $(JOBS)

$(BENCH_BUILD)/CMakeCache.txt:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

bench: test-deps $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	scripts/bench $(BENCH_BUILD)

SOAK_FRAMES ?= 1000000
soak: test-deps $(TEST_BUILD)/CMakeCache.txt
	cmake --build $(TEST_BUILD) -j $(JOBS) --target klevaria-soak
	$(TEST_BUILD)/bin/klevaria-soak --frames $(SOAK_FRAMES) --appdir $(TEST_BUILD)/game --log $(TEST_BUILD)/soak.kls

fuzz: test-deps
	scripts/fuzz

# klevaria_<version>_amd64.deb and klevaria-scores_<version>_amd64.deb in
# $(PACKAGES), with their -dbgsym packages beside them, built in build/deb with
# Debian's flags and layout. The package build runs the unit tests unless
# DEB_BUILD_OPTIONS holds nocheck; `make test` sets it, as it runs every test
# afterwards anyway.
DEB_BUILD_OPTIONS ?=
test: DEB_BUILD_OPTIONS += nocheck
deb: package-deps
	dpkg-checkbuilddeps $(if $(filter nocheck,$(DEB_BUILD_OPTIONS)),-P nocheck)
	rm -f debian/debhelper-build-stamp
	DEB_BUILD_OPTIONS="parallel=$(JOBS) $(DEB_BUILD_OPTIONS)" \
	  KLV_PACKAGES_DIR=$(abspath $(PACKAGES)) debian/rules binary
	@ls -l $(PACKAGES)/*.deb

# Installs under $(PREFIX) (or under DESTDIR for packaging) and remembers what
# went where, so that `make uninstall` takes away exactly that.
install: compile
	scripts/install-game $(BUILD) $(PREFIX)

uninstall:
	scripts/uninstall-game $(BUILD) $(PREFIX)

run-scores: build
	$(BUILD)/bin/klevaria-scores

format:
	find src tests tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i

format-check:
	@find src tests tools -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror
	@echo "format: clean"

clean:
	rm -rf $(BUILD) debian/klevaria debian/klevaria-scores debian/.debhelper debian/files \
	  debian/*.substvars debian/*.debhelper.log debian/debhelper-build-stamp
