# The README's commands. Each runs scripts/setup first, which installs what is
# missing and configures the build.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
PKG_BUILD ?= build-pkg
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600

.PHONY: all build run test bench bench-check asan fuzz package package-check clean

all: build

build:
	BUILD_DIR=$(BUILD) scripts/setup
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bil

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# ASan + UBSan build of the tests.
asan:
	BUILD_DIR=$(ASAN_BUILD) BUILD_TYPE=Debug CMAKE_ARGS="-DBIL_SANITIZE=ON" scripts/setup
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

bench:
	BUILD_DIR=$(BENCH_BUILD) BUILD_TYPE=Release CMAKE_ARGS="-DBIL_BENCH=ON" scripts/setup
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target bil_bench bil_gui_bench bil_print_bench
	$(BENCH_BUILD)/bench/bil_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bench/bil_gui_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
	$(BENCH_BUILD)/bench/bil_print_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# bil-check over 10,000 generated statement files against cat reading them,
# and its texts of 2,000 against writing the same bytes with one syncfs
# (bench/RESULTS.md).
bench-check:
	BUILD_DIR=$(BENCH_BUILD) BUILD_TYPE=Release CMAKE_ARGS="-DBIL_BENCH=ON" scripts/setup
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target bil-check make_statements text_floor
	bench/check_bench.sh $(BENCH_BUILD)

# The Debian packages bil and bil-check in $(PKG_BUILD)/, built with Debian's
# hardening flags; every time stamp in them is the last commit's, so that two
# builds of one commit are the same bytes.
package: export SOURCE_DATE_EPOCH = $(shell git log -1 --format=%ct 2>/dev/null)
package:
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	BUILD_DIR=$(PKG_BUILD) BUILD_TYPE=None CMAKE_ARGS="-DBIL_TESTS=OFF" \
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" scripts/setup
	cmake --build $(PKG_BUILD) -j $(JOBS) --target bil bil-check bil_package_files
	rm -f $(PKG_BUILD)/*.deb
	cd $(PKG_BUILD) && cpack
	lintian --pedantic --fail-on error,warning $(PKG_BUILD)/bil_*.deb $(PKG_BUILD)/bil-check_*.deb

# Installs each package on its own, runs its program from the installed path
# as root and as an ordinary user, removes it and checks that nothing is left
# behind.
package-check: package
	packaging/package-check $(PKG_BUILD)/bil_*.deb $(PKG_BUILD)/bil-check_*.deb

# libFuzzer over a statement file's load, check, text, save and reload,
# FUZZ_SECONDS long.
fuzz:
	BUILD_DIR=$(FUZZ_BUILD) BUILD_TYPE=Debug CMAKE_ARGS="-DBIL_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang" scripts/setup
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_chain
	mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/fuzz/fuzz_chain -max_len=65536 -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(FUZZ_BUILD)/corpus fuzz/seeds

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(PKG_BUILD)
