# Dalvane: every target does the set-up it needs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
DEMO_HOME  := $(abspath $(BUILD))/demo-home

.PHONY: all deps build test demo run bench check-asan clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

# Runs every test through CTest with a private PulseAudio null sink for the
# audio tests (started here, stopped afterwards).
test: build
	bash scripts/with-pulse.sh ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS) --timeout 300

# Opens the program on a private sample home under the build folder, so it
# never touches the user's real settings or data.
demo: build
	@bash scripts/demo.sh $(BUILD) "$(DEMO_HOME)"

# Opens the program on the user's real settings and data.
run: build
	$(BUILD)/bin/dalvane

bench: build
	@bash scripts/bench.sh $(BUILD)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
check-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DDLV_SANITIZE=ON -DDLV_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  bash scripts/with-pulse.sh ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS) --timeout 600

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
