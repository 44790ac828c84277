# SPDX-License-Identifier: GPL-3.0-or-later
# The two set-up commands: `make run` and `make test`. Both install the Debian
# packages that are missing, then configure and build incrementally.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
CTEST_ARGS ?=

.PHONY: all deps configure build run test test-sanitize bench bench-window fuzz screenshots web web-serve web-bench web-screenshots clean

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

# Coverage-guided fuzzing for FUZZ_SECONDS, with the core instrumented too so
# that the fuzzer sees what the library does: make fuzz (the conversion),
# fuzz-ti86 (TI-86 files, listing, tokenizer, report), fuzz-ti83p-reader,
# fuzz-ti83p-tokenizer, fuzz-translate (the translator, from the TI-86
# inputs). New inputs land in $(BUILD_DIR)-fuzz/corpus-NAME;
# tests/fuzz/corpus-NAME holds the ones worth keeping.
FUZZ_SECONDS ?= 60
fuzz: fuzz-convert
fuzz-%: deps
	cmake -S . -B $(BUILD_DIR)-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVO_FUZZ=ON -DKALVO_BUILD_UI=OFF -DKALVO_BUILD_BENCH=OFF \
		-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined
	cmake --build $(BUILD_DIR)-fuzz --target kalvo_fuzz_$*
	mkdir -p $(BUILD_DIR)-fuzz/corpus-$*
	$(BUILD_DIR)-fuzz/tests/kalvo_fuzz_$* -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
		$(BUILD_DIR)-fuzz/corpus-$* tests/fuzz/corpus-$(if $(filter translate,$*),ti86,$*)

# The README's pictures, taken on a virtual X server.
screenshots: build
	tools/screenshots $(BUILD_DIR)/src/app/kalvo samples/demo.86.txt docs/screenshots

# The page in the browser: a static site in $(BUILD_DIR)/web/site (the
# WebAssembly module built by emscripten beside the page's own files), and a
# server for it on 127.0.0.1 for a look.
WEB_PORT ?= 8086
web: configure
	cmake --build $(BUILD_DIR) --target kalvo_web_site
	@echo "The site is in $(BUILD_DIR)/web/site"

web-serve: web
	@echo "Open http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops the server)"
	cd $(BUILD_DIR)/web/site && /usr/bin/python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# The page's figures in headless Chromium: its weight, how soon a program
# shows, and 1,000 files converted in the page beside the native job.
web-bench: build
	/usr/bin/python3 bench/web-bench.py $(BUILD_DIR)/web/site $(BUILD_DIR)/bench/kalvo_bench_web \
		tests/golden/calcfiles/translate-GAME.ti86.txt

# The README's pictures of the page.
web-screenshots: web
	tools/web-screenshots $(BUILD_DIR)/web/site docs/screenshots \
		tests/golden/calcfiles/translate-GAME.ti86.txt=GAME.86.txt tests/golden/calcfiles/damaged.86p

bench: build
	$(BUILD_DIR)/bench/kalvo_bench
	$(BUILD_DIR)/bench/kalvo_ti86_bench
	$(BUILD_DIR)/bench/kalvo_bench_ti83p
	$(BUILD_DIR)/bench/kalvo_handwork_bench
	$(BUILD_DIR)/bench/kalvo_bench_convert_command
	$(BUILD_DIR)/bench/kalvo_bench_translate

# The Convert button in the real window, on a virtual X server.
bench-window: build
	QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -noreset" $(BUILD_DIR)/bench/kalvo_window_bench

clean:
	rm -rf $(BUILD_DIR)
