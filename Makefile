# The two commands every user needs: `make run` and `make test`.
JOBS ?= $(shell nproc)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: deps build run test bench package fuzz fuzz-build format clean

deps:
	@sh scripts/deps.sh

build: deps
	cmake -S . -B build -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release
	cmake --build build -j $(JOBS)

run: build
	./build/bin/orbiplot

test: deps
	cmake -S . -B build-test -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DORBIPLOT_SANITIZE=ON -DORBIPLOT_WARNINGS_AS_ERRORS=ON
	cmake --build build-test -j $(JOBS)
	cd build-test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)

# Each reader under libFuzzer for FUZZ_SECONDS; a finding stops with its input saved.
FUZZ_SECONDS ?= 600
TEST_FUZZ_SECONDS ?= 10
FUZZ_TARGETS := ParseExpression SubstituteVariable IniReader LoadDoc Settings LineCalculators \
                CurveEvaluator KeyPoints ImplicitTrace
fuzz-build: deps
	cmake -S . -B build-fuzz -G "$(GENERATOR)" -DORBIPLOT_FUZZ=ON -DORBIPLOT_WARNINGS_AS_ERRORS=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS)

fuzz: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	    mkdir -p build-fuzz/corpus/$$t build-fuzz/findings; \
	    echo "fuzz $$t for $(FUZZ_SECONDS) s"; \
	    ./build-fuzz/bin/Fuzz$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	        -artifact_prefix=build-fuzz/findings/$$t- -print_final_stats=1 \
	        build-fuzz/corpus/$$t fuzz/corpus/$$t 2>build-fuzz/fuzz-$$t.log \
	        || { tail -n 40 build-fuzz/fuzz-$$t.log; exit 1; }; \
	    grep -E "stat::number_of_executed_units|cov:" build-fuzz/fuzz-$$t.log | tail -n 2; \
	done

# A Debian package of the release build: build/orbiplot_VERSION_ARCH.deb.
package: build
	cd build && cpack

bench: build
	./build/bin/orbiplot-bench

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build build-test build-fuzz
