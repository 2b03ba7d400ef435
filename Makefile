# The README's commands. Every target bootstraps the machine first.
JOBS ?= $(shell nproc)
.PHONY: all bootstrap build build-host build-win test test-host test-win run bench fuzz clean

all: build

bootstrap:
	@scripts/bootstrap

build-host: bootstrap
	@cmake --preset host >/dev/null
	@cmake --build --preset host -j $(JOBS)

build-win: bootstrap
	@cmake --preset win >/dev/null
	@cmake --build --preset win -j $(JOBS)

build: build-host build-win

test-host: build-host
	@ctest --preset host -j $(JOBS) --timeout 600

test-win: build-win
	@scripts/wine-session ctest --preset win -j $(JOBS) --timeout 600

# Both builds, every test of both; non-zero on any failure.
test: build
	@status=0; \
	ctest --preset host -j $(JOBS) --timeout 600 || status=1; \
	scripts/wine-session ctest --preset win -j $(JOBS) --timeout 600 || status=1; \
	exit $$status

run: build-win
	@scripts/run-demo

bench: build-win
	@scripts/wine-session scripts/bench

fuzz: bootstrap
	@scripts/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build
