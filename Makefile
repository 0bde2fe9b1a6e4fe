# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# ccache, where installed, keeps compiled objects outside the checkout, so that a new clone (or a
# CI run) reuses them; paths are taken relative to the checkout, so that every clone finds them.
CCACHE := $(shell command -v ccache 2>/dev/null)
LAUNCHER_FLAGS := $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR := $(CURDIR)
# Not the build folder's own path in the key (objects with debug information would then be
# found by that one folder only); their debug information names the folder that built them.
export CCACHE_NOHASHDIR := 1

.PHONY: deps configure build run test bench package clean format sanitize sanitize-build sanitize-thread fuzz soak mutate windows test-windows

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DORVEX_WERROR=ON $(LAUNCHER_FLAGS) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/src/app/orvex --demo

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

# Builds and runs the benchmarks of bench/ and prints one table of their figures.
# The last rows are the Windows build's under Wine when $(WIN_DIR) holds one (`make windows`).
bench: build
	@ORVEX_WINDOWS_BUILD_DIR=$(abspath $(WIN_DIR)) cmake --build $(BUILD_DIR) --target orvex_run_benchmarks

# The Debian package, checked and copied here: orvex_<version>_amd64.deb.
package: build
	@rm -rf $(BUILD_DIR)/package
	@cd $(BUILD_DIR) && cpack -G DEB
	@dist/check-package $(BUILD_DIR)/package/orvex_*.deb
	@cp $(BUILD_DIR)/package/orvex_*.deb .
	@ls orvex_*.deb

clean:
	rm -rf $(BUILD_DIR)

# Windows: orvex.exe and orvex-flash.exe cross-built with mingw-w64 (the Windows Qt is built once
# into a cache outside the checkout, ORVEX_WINDOWS_QT), the folder, Orvex-<version>-setup.exe
# and Orvex-<version>-portable.zip (copied here). See the README's Windows section.
WIN_DIR ?= build-windows
windows:
	@scripts/build-windows $(WIN_DIR) $(JOBS) $(LAUNCHER_FLAGS) $(CMAKE_FLAGS)

# The suite cross-built and run under Wine (offscreen, a throw-away Wine prefix), with the
# serial tests against orvex-sim on a pseudo-terminal mapped as COM7.
test-windows: windows
	@scripts/test-windows $(WIN_DIR) $(JOBS) $(LAUNCHER_FLAGS) $(CMAKE_FLAGS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# The suite built with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of its own
# (SANITIZE=thread for ThreadSanitizer; TESTS=regex to run a part of the suite).
SANITIZE ?= address,undefined
SAN_DIR ?= build-asan
TESTS ?= .
sanitize-build: deps
	@cmake -S . -B $(SAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_WERROR=ON \
		-DORVEX_SANITIZE=$(SANITIZE) $(LAUNCHER_FLAGS) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(SAN_DIR) -j $(JOBS)

sanitize: sanitize-build
	@cd $(SAN_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600 -R '$(TESTS)'

# ThreadSanitizer on the tests that run threads of their own: the serial layer (its event
# thread), the simulator (its engine thread) and the program against the simulator on a
# pseudo-terminal. Only these tests and the simulator are built, in build-tsan/.
TSAN_DIR ?= build-tsan
TSAN_TESTS ?= tst_CoreComm tst_PortMapAndSettings tst_SerialFacade tst_FtdiAdapter \
	tst_simframes tst_simstate tst_simloader tst_simfaults tst_simpacing tst_simcommand \
	tst_integration_protocol_on_sim tst_integration_fault_matrix
empty :=
space := $(empty) $(empty)
sanitize-thread: deps
	@cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_WERROR=ON \
		-DORVEX_SANITIZE=thread $(LAUNCHER_FLAGS) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS) --target orvex-sim $(TSAN_TESTS)
	@cd $(TSAN_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 900 \
		-R '^($(subst $(space),|,$(strip $(TSAN_TESTS))))$$'

# Coverage-guided fuzzing with libFuzzer (clang): every harness (or those named in FUZZERS) for
# FUZZ_SECONDS, or for FUZZ_RUNS executions, then a table of executions, coverage and findings.
# FUZZ_SANITIZE=undefined (with a FUZZ_DIR of its own, e.g. build-fuzz-ub) leaves
# AddressSanitizer out: 1.3 to 2.2 times the executions a second, but a memory error that
# does not crash goes unseen, so the runs that count are those of the default build.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZERS ?=
FUZZ_RUNS ?=
FUZZ_SANITIZE ?= address,undefined
fuzz:
	@scripts/install-deps fuzz
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DORVEX_FUZZ=ON \
		-DORVEX_SANITIZE=$(FUZZ_SANITIZE) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target orvex_fuzzers
	@FUZZ_RUNS=$(FUZZ_RUNS) scripts/run-fuzz $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZERS)

# The demo polling for SOAK_MINUTES (default 10) with memory and open files every SOAK_EVERY s.
SOAK_MINUTES ?= 10
SOAK_EVERY ?= 60
soak: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target bench_soak
	@QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/bench_soak --minutes $(SOAK_MINUTES) --every $(SOAK_EVERY)

# Mutation testing of one source folder: MUTATE_COUNT sampled mutants, the tests that link the
# folder's library rebuilt and run for each; prints the score and every survivor.
MUTATE_FOLDER ?= src/protocol
MUTATE_COUNT ?= 60
MUTATE_SEED ?= 1
mutate: build
	@scripts/mutate $(MUTATE_FOLDER) --count $(MUTATE_COUNT) --seed $(MUTATE_SEED) --build $(BUILD_DIR) --jobs $(JOBS) $(if $(MUTATE_SKIP),--skip "$(MUTATE_SKIP)")
