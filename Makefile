# The two commands every user needs: `make run` and `make test`.
JOBS ?= $(shell nproc)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: deps build run test bench format clean

deps:
	@sh scripts/deps.sh

build: deps
	cmake -S . -B build -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release
	cmake --build build -j $(JOBS)

run: build
	./build/bin/orbiplot

test: deps
	cmake -S . -B build-test -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DORBIPLOT_SANITIZE=ON
	cmake --build build-test -j $(JOBS)
	cd build-test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	./build/bin/orbiplot-bench

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build build-test
