# The two commands a developer needs on a fresh Debian 12 machine.
PRESET ?= debug
BUILD_DIR := build/$(PRESET)
BIN_DIR := $(BUILD_DIR)/bin

.PHONY: all deps build test run package clean

all: build

deps:
	@bash tools/install-deps

build: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

test: build
	QT_QPA_PLATFORM=offscreen ctest --preset $(PRESET)

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

clean:
	rm -rf build
