# Front door of the build. `make run` and `make test` install what is missing first.
BUILD      ?= build
TEST_BUILD ?= build/test
BENCH_BUILD ?= build/bench
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test bench soak fuzz install run-scores format format-check clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/game && ./klevaria

$(TEST_BUILD)/CMakeCache.txt:
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKLV_SANITIZE=ON $(CMAKE_FLAGS)

test: deps format-check $(TEST_BUILD)/CMakeCache.txt
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure -j $(JOBS)

$(BENCH_BUILD)/CMakeCache.txt:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

bench: deps $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	scripts/bench $(BENCH_BUILD)

SOAK_FRAMES ?= 1000000
soak: deps $(TEST_BUILD)/CMakeCache.txt
	cmake --build $(TEST_BUILD) -j $(JOBS) --target klevaria-soak
	$(TEST_BUILD)/bin/klevaria-soak --frames $(SOAK_FRAMES) --appdir $(TEST_BUILD)/game --log $(TEST_BUILD)/soak.kls

fuzz: deps
	scripts/fuzz

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

run-scores: build
	$(BUILD)/bin/klevaria-scores

format:
	find src tests tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i

format-check:
	@find src tests tools -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror
	@echo "format: clean"

clean:
	rm -rf $(BUILD)
