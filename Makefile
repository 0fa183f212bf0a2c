# Vacater: build, test and demo on Linux, for Windows, under Wine.
.PHONY: all deps build test demo bench fuzz size package reproduce clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@scripts/build.sh

test: deps
	@scripts/test.sh

demo: build
	@scripts/demo.sh

bench: build
	@scripts/run-bench.sh

size: deps
	@scripts/size.sh

package: deps
	@scripts/package.sh

# Builds the package of the current commit twice, in two fresh clones, and compares the zips.
reproduce: deps
	@scripts/reproduce.sh

# Not part of test: its own build tree, 10 minutes by default (FUZZ_SECONDS=N to change).
fuzz: deps
	@scripts/run-fuzz.sh

clean:
	rm -rf build dist
