# The two set-up commands: `make run` and `make test`. Both install the Debian
# packages that are missing, then configure and build incrementally.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
CTEST_ARGS ?=

.PHONY: all deps configure build run test test-sanitize bench bench-window fuzz screenshots clean \
	fuzz-ti86 fuzz-ti83p-reader fuzz-ti83p-tokenizer fuzz-translate

all: build

deps:
	@./tools/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD_DIR)

run: build
	$(BUILD_DIR)/src/app/kalvo

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure $(CTEST_ARGS)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(BUILD_DIR)-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALVO_SANITIZE=ON \
		-DKALVO_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR)-sanitize
	cd $(BUILD_DIR)-sanitize && ASAN_OPTIONS=detect_leaks=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure $(CTEST_ARGS)

# Coverage-guided fuzzing of the conversion for FUZZ_SECONDS. New inputs land
# in $(BUILD_DIR)-fuzz/corpus; tests/fuzz/corpus holds the ones worth keeping.
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S . -B $(BUILD_DIR)-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVO_FUZZ=ON -DKALVO_BUILD_UI=OFF -DKALVO_BUILD_BENCH=OFF
	cmake --build $(BUILD_DIR)-fuzz --target kalvo_fuzz
	mkdir -p $(BUILD_DIR)-fuzz/corpus
	$(BUILD_DIR)-fuzz/tests/kalvo_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
		$(BUILD_DIR)-fuzz/corpus tests/fuzz/corpus

# The same for the TI-86 file reader; its corpus is tests/fuzz/ti86-corpus.
fuzz-ti86: deps
	cmake -S . -B $(BUILD_DIR)-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVO_FUZZ=ON -DKALVO_BUILD_UI=OFF -DKALVO_BUILD_BENCH=OFF
	cmake --build $(BUILD_DIR)-fuzz --target kalvo_ti86_fuzz
	mkdir -p $(BUILD_DIR)-fuzz/ti86-corpus
	$(BUILD_DIR)-fuzz/tests/kalvo_ti86_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
		$(BUILD_DIR)-fuzz/ti86-corpus tests/fuzz/ti86-corpus

# The translator from TI-86 tokens, starting from the TI-86 reader's corpus;
# new inputs land in $(BUILD_DIR)-fuzz/translate-corpus.
fuzz-translate: deps
	cmake -S . -B $(BUILD_DIR)-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVO_FUZZ=ON -DKALVO_BUILD_UI=OFF -DKALVO_BUILD_BENCH=OFF
	cmake --build $(BUILD_DIR)-fuzz --target kalvo_translate_fuzz
	mkdir -p $(BUILD_DIR)-fuzz/translate-corpus
	$(BUILD_DIR)-fuzz/tests/kalvo_translate_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
		$(BUILD_DIR)-fuzz/translate-corpus tests/fuzz/ti86-corpus

# The TI-83 Plus file reader and text tokenizer, the same way, with the
# core instrumented too so that the fuzzer sees what the library does:
# make fuzz-ti83p-reader, make fuzz-ti83p-tokenizer.
fuzz-ti83p-reader fuzz-ti83p-tokenizer: fuzz-ti83p-%: deps
	cmake -S . -B $(BUILD_DIR)-fuzz-ti83p -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVO_FUZZ=ON -DKALVO_BUILD_UI=OFF -DKALVO_BUILD_BENCH=OFF \
		-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined
	cmake --build $(BUILD_DIR)-fuzz-ti83p --target kalvo_fuzz_ti83p-$*
	mkdir -p $(BUILD_DIR)-fuzz-ti83p/corpus-$*
	$(BUILD_DIR)-fuzz-ti83p/tests/kalvo_fuzz_ti83p-$* -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
		$(BUILD_DIR)-fuzz-ti83p/corpus-$* tests/fuzz/corpus-ti83p-$*

# The README's pictures, taken on a virtual X server.
screenshots: build
	tools/screenshots $(BUILD_DIR)/src/app/kalvo samples/demo.86.txt docs/screenshots

bench: build
	$(BUILD_DIR)/bench/kalvo_bench
	$(BUILD_DIR)/bench/kalvo_ti86_bench
	$(BUILD_DIR)/bench/kalvo_bench_ti83p
	$(BUILD_DIR)/bench/kalvo_bench_translate

# The Convert button in the real window, on a virtual X server.
bench-window: build
	QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" $(BUILD_DIR)/bench/kalvo_window_bench

clean:
	rm -rf $(BUILD_DIR)
