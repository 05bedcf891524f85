# Zentar: `make run` starts the program, `make test` runs every test.
# Both install what is missing first (Debian packages, as root).

JOBS   ?= $(shell nproc)
BUILD  ?= build
CMAKE  := cmake -S . -G "Unix Makefiles" -Wno-dev

.PHONY: all deps native win64 win32 win32seams run test unit e2e fuzz fuzz-smoke bench screenshot clean \
        release soak fuzz-long

all: native win64 win32

deps:
	@bash scripts/install-deps.sh

native: deps
	@$(CMAKE) -B $(BUILD)/native >/dev/null
	@$(MAKE) --no-print-directory -s -C $(BUILD)/native -j$(JOBS)

# The x86_64 build is the one the end-to-end tests run under 64-bit Wine; it
# routes power actions through a recorder.
win64: deps
	@$(CMAKE) -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DZENTAR_TEST_SEAMS=ON >/dev/null
	@$(MAKE) --no-print-directory -s -C $(BUILD)/win64 -j$(JOBS)

# The product: a 32-bit, statically linked GUI program.
win32: deps
	@$(CMAKE) -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	@$(MAKE) --no-print-directory -s -C $(BUILD)/win32 -j$(JOBS) Zentar
	@bash scripts/check-product.sh $(BUILD)/win32/Zentar.exe

# The product's sources, compiler and flags with the recording seams: the
# 32-bit end-to-end pass runs it for the scenarios that read them.
win32seams: deps
	@$(CMAKE) -B $(BUILD)/win32seams -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DZENTAR_TEST_SEAMS=ON >/dev/null
	@$(MAKE) --no-print-directory -s -C $(BUILD)/win32seams -j$(JOBS) Zentar

run: win64
	@bash scripts/run.sh $(BUILD)/win64/Zentar.exe

test: native win64 win32 win32seams
	@$(MAKE) --no-print-directory unit fuzz-smoke e2e E2E_I686=$(BUILD)/win32 E2E_I686_SEAMS=$(BUILD)/win32seams

unit:
	@cd $(BUILD)/native && ctest --output-on-failure -j$(JOBS)

# With E2E_I686=build/win32 E2E_I686_SEAMS=build/win32seams the scenarios run
# a third time, against the 32-bit product.
e2e:
	@E2E_I686=$(E2E_I686) E2E_I686_SEAMS=$(E2E_I686_SEAMS) bash scripts/e2e.sh $(BUILD)/win64 $(SCENARIO)

$(BUILD)/fuzz/fuzz_dbdat: deps
	@$(CMAKE) -B $(BUILD)/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DZENTAR_FUZZ=ON >/dev/null
	@$(MAKE) --no-print-directory -s -C $(BUILD)/fuzz -j$(JOBS)

# A few seconds per reader from the committed seeds; `make fuzz` runs each for a minute.
fuzz-smoke: $(BUILD)/fuzz/fuzz_dbdat
	@bash scripts/fuzz.sh $(BUILD)/fuzz 5

fuzz: $(BUILD)/fuzz/fuzz_dbdat
	@bash scripts/fuzz.sh $(BUILD)/fuzz 60

# The campaign: ten minutes per reader.
fuzz-long: $(BUILD)/fuzz/fuzz_dbdat
	@bash scripts/fuzz.sh $(BUILD)/fuzz 600

bench: deps
	@$(CMAKE) -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release -DZENTAR_BENCH=ON >/dev/null
	@$(MAKE) --no-print-directory -s -C $(BUILD)/bench -j$(JOBS)
	@for b in $(BUILD)/bench/*_bench; do $$b; done

# Pictures of every window for the README, taken while the scenarios run.
screenshot: win64
	@bash scripts/screenshot.sh $(BUILD)/win64/Zentar.exe docs/clock.png
	@E2E_SHOTS=docs bash scripts/e2e.sh $(BUILD)/win64 >$(BUILD)/screenshot.log 2>&1 || \
		{ grep -E 'FAIL|^ ' $(BUILD)/screenshot.log; exit 1; }

# dist/Zentar-1.41.zip: the product, its chime (synthesised) and the Chinese guide.
release: win32
	@bash scripts/release.sh $(BUILD)/win32/Zentar.exe dist

# Ten minutes of alarms under Wine; not part of `make test`.
soak: win64
	@bash scripts/e2e.sh $(BUILD)/win64 soak_ten_minutes

clean:
	rm -rf $(BUILD)
