# The two set-up commands: `make run` and `make test`. Both install the Debian
# packages that are missing, then configure and build incrementally.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
CTEST_ARGS ?=

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@./tools/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD_DIR)

run: build
	$(BUILD_DIR)/src/app/kalvo-convert samples/demo.86.txt

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure $(CTEST_ARGS)

bench: build
	$(BUILD_DIR)/bench/kalvo_bench

clean:
	rm -rf $(BUILD_DIR)
