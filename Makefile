# The two commands a developer needs on a fresh Debian 12 machine.
PRESET ?= debug
BUILD_DIR := build/$(PRESET)
BIN_DIR := $(BUILD_DIR)/bin

# Clones of the tree share one compiler cache.
export CCACHE_BASEDIR ?= $(CURDIR)

FUZZ_TARGETS := int_conversion label_list save_open edits
FUZZ_SECONDS ?= 20

.PHONY: all deps build test check asan wasm wasm-build fuzz tidy run package clean web web-test soak

all: build

deps:
	@bash tools/install-deps

build: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

# Everything CI runs: every test once, under the sanitizers; the WebAssembly build and its tests;
# the browser edition's tests; the fuzz targets; clang-tidy, beside the tests. Each stage's time is
# printed at the end.
test: deps
	@bash tools/run-all-tests

# The tests of one preset only, for quick rounds while working.
check: build
	QT_QPA_PLATFORM=offscreen ctest --preset $(PRESET)

asan:
	$(MAKE) --no-print-directory check PRESET=asan

# The core as WebAssembly, built once (build/wasm): korvath-cli.js, the core tests under node and
# the browser edition's module all come from this one build of the core. Its tests run the CLI
# suite of the native PRESET tree against the node program.
wasm-build: deps
	emcmake cmake --preset wasm "-DKORVATH_NATIVE_DIR=$(CURDIR)/$(BUILD_DIR)"
	cmake --build --preset wasm

# Its tests also run the native CLI suite against the node program and compare both programs byte
# for byte, so the native build comes first.
wasm: build wasm-build
	ctest --preset wasm

# The targets run two at a time, one per core: each runs for FUZZ_SECONDS on one thread.
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	@printf '%s\n' $(FUZZ_TARGETS) | xargs -P 2 -I{} tools/run-fuzz {} $(FUZZ_SECONDS)

tidy: build
	tools/run-tidy build/$(PRESET)

# Builds only the editor and its demo data, so starting it does not wait for the tests.
run: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) --target korvath
	cmake -DSOURCE_DIR=$(BUILD_DIR)/examples -DDEST_DIR=$(BIN_DIR) -P cmake/PlaceLabels.cmake
	$(BIN_DIR)/korvath $(BUILD_DIR)/examples/demo.bin

# The Debian package from its own release tree: build/package/korvath_<version>_amd64.deb.
package: deps
	cmake --preset package
	cmake --build --preset package
	cd build/package && cpack
	lintian --fail-on error build/package/korvath_*_amd64.deb

# The browser edition: build/web/korvath.html, one file holding the page, its script and the core
# module of the wasm build, with the demo save and labels of the PRESET tree.
web web-test soak: export KORVATH_DEMO_DIR = $(CURDIR)/$(BUILD_DIR)/examples
web web-test soak: export KORVATH_CLI = $(CURDIR)/$(BIN_DIR)/korvath-cli
web: wasm-build
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) --target korvath_demo_data korvath-cli
	cd web && npm ci --no-audit --no-fund --loglevel=error && npm run build

# The browser tests: puppeteer-core drives Debian's chromium over the built page from file://.
web-test: web
	cd web && npm test

# Long random-act runs of both editions: SOAK_DESKTOP and SOAK_WEB sequences from SOAK_SEED. Every
# failing sequence prints its seed and acts.
SOAK_DESKTOP ?= 10000
SOAK_WEB ?= 1000
SOAK_SEED ?= 1
soak: web
	cmake --build --preset $(PRESET) --target tst_randomacts
	export KORVATH_RANDOM_SEED=$(SOAK_SEED) KORVATH_RANDOM_ALL=1; status=0; \
	KORVATH_RANDOM_ACTS=$(SOAK_DESKTOP) QTEST_FUNCTION_TIMEOUT=2000000000 QT_QPA_PLATFORM=offscreen \
	  $(BIN_DIR)/tst_randomacts -maxwarnings 0 || status=1; \
	cd web && KORVATH_RANDOM_ACTS=$(SOAK_WEB) node test/random_acts.test.mjs || status=1; \
	exit $$status

clean:
	rm -rf build
