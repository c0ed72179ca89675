# Set-up and everyday commands; see README.md.
#   make run    install what is missing, build, convert the example board
#   make test   install what is missing, build, run every test (also under sanitizers), the
#               programs also through LinuxCNC's interpreter, fetched into $(BUILD)/rs274, and
#               through GRBL 1.1h, built from ../shared/grbl-check into $(BUILD)/grbl
#   make bench  build, time the converter on generated boards, rewrite bench/RESULTS.md
#   make fuzz   run every fuzz target (or those named in FUZZ_TARGETS) for FUZZ_TIME seconds (default 300) under ASan and UBSan
#   make deb    build the Debian package $(DEB_BUILD)/drelvo_<version>_amd64.deb
#   make deb-test  build the package and check it: unpacked, it converts the example board to the
#               golden program, and lintian finds no error (.ci/run runs it after make test)
#   make windows  cross-build $(WIN_BUILD)/converter/drelvo.exe and check it under wine against the
#               golden programs and the Linux build (.ci/run runs it after make test)

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
DEB_BUILD  ?= build-deb
WIN_BUILD  ?= build-win
FUZZ_TIME  ?= 300
FUZZ_SMOKE_TIME ?= 30
JOBS       ?= $(shell nproc)
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Debian packages the build and the tests need.
PACKAGES = cmake g++ make python3 libgtest-dev libbenchmark-dev qt6-base-dev qt6-svg-dev fonts-dejavu-core fonts-dejavu-extra \
           qt6-translations-l10n clang libclang-rt-14-dev time
# What building and checking the Debian package needs besides; installed by
# make deb only, so that make test does not wait for lintian.
DEB_PACKAGES = dpkg-dev file lintian shared-mime-info
# What cross-building drelvo.exe and running it need besides; installed by make windows only.
WIN_PACKAGES = g++-mingw-w64-x86-64 wine wine64

EXAMPLE = examples/board.gbr

.PHONY: all deps deb-deps win-deps build asan run test bench fuzz-build fuzz fuzz-smoke deb deb-test windows clean

all: build

# $(call install_missing,<packages>) installs those of the packages that are missing.
install_missing = missing=$$(for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

deps:
	@$(call install_missing,$(PACKAGES))

deb-deps: deps
	@$(call install_missing,$(DEB_PACKAGES))

win-deps: deps
	@$(call install_missing,$(WIN_PACKAGES))

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DDRELVO_SANITIZE=ON \
	  -DDRELVO_BUILD_SHELL=OFF -DDRELVO_BUILD_BENCH=OFF -DDRELVO_ACCEPT=OFF -DDRELVO_GRBL=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)

run: build
	$(BUILD)/converter/drelvo $(EXAMPLE)
	@echo "--- $(EXAMPLE).tap ---"
	@tr -d '\r' < $(EXAMPLE).tap

test: build asan
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j$(JOBS)
	$(MAKE) fuzz-smoke

# The fuzz targets build with clang and libFuzzer, apart from the gcc builds.
fuzz-build: deps
	cmake -S tests/fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j$(JOBS)

fuzz: fuzz-build
	FUZZ_TARGETS="$(FUZZ_TARGETS)" tests/fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_TIME)

fuzz-smoke: fuzz-build
	tests/fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SMOKE_TIME)

# The package builds apart from the tests' trees, with Debian's compiler and
# linker flags (all hardening on, immediate binding too), and only what it holds.
deb: deb-deps
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=None -DDRELVO_BUILD_BENCH=OFF -DDRELVO_ACCEPT=OFF -DDRELVO_GRBL=OFF \
	  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(DEB_BUILD) -j$(JOBS) --target drelvo kemlor package_files
	rm -f $(DEB_BUILD)/*.deb
	cd $(DEB_BUILD) && cpack

deb-test: deb
	tests/package/deb_test.sh $(DEB_BUILD)/drelvo_*.deb

# The converter alone, for 64-bit Windows: one static executable.
windows: build win-deps
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DDRELVO_BUILD_SHELL=OFF -DDRELVO_BUILD_BENCH=OFF -DDRELVO_BUILD_TESTS=OFF
	cmake --build $(WIN_BUILD) -j$(JOBS) --target drelvo
	tests/windows/wine_test.sh $(WIN_BUILD)/converter/drelvo.exe $(BUILD)/converter/drelvo

bench: build
	bench/run_bench.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(DEB_BUILD) $(WIN_BUILD)
