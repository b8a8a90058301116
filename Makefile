# The whole set-up on a fresh Debian 12 machine:
#   make run    build and start KOLT Chat with the stand-in modem
#   make test   build with sanitizers and run every test
#
# Other targets: make build (release build), make bench, make fuzz.

JOBS       ?= $(shell nproc)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
RELEASE    := build/release
TESTBUILD  := build/test
FUZZBUILD  := build/fuzz

.PHONY: all deps build run test bench fuzz fuzz-smoke clean

all: build

deps:
	@scripts/install-deps.sh

$(RELEASE)/CMakeCache.txt: | deps
	cmake -S . -B $(RELEASE) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLT_BUILD_TESTS=OFF

build: deps $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS)

run: build
	@scripts/run.sh $(RELEASE)/program

$(TESTBUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(TESTBUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug \
	  -DKOLT_SANITIZE=ON -DKOLT_WERROR=ON -DKOLT_BUILD_BENCH=OFF

test: deps $(TESTBUILD)/CMakeCache.txt
	cmake --build $(TESTBUILD) -j $(JOBS)
	cd $(TESTBUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) --timeout 300
	@$(MAKE) --no-print-directory fuzz-smoke

$(FUZZBUILD)/CMakeCache.txt: | deps
	CXX=clang++ cmake -S . -B $(FUZZBUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKOLT_CODECS_ONLY=ON -DKOLT_FUZZ=ON

fuzz: deps $(FUZZBUILD)/CMakeCache.txt
	cmake --build $(FUZZBUILD) -j $(JOBS)

# A short run of every fuzz target, so that CI exercises them.
fuzz-smoke: fuzz
	@scripts/fuzz-smoke.sh $(FUZZBUILD)/fuzz

bench: build
	@scripts/bench.sh $(RELEASE)

clean:
	rm -rf build
