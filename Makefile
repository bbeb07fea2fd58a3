# make run  - install what is missing, build, start the program on the simulated feed
# make test - install what is missing, build and run every test
.PHONY: run test deps bench clean

deps:
	bash scripts/install-deps.sh

run: deps
	bash scripts/run.sh

test: deps
	bash scripts/test.sh

bench: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build -j 2 --target vela_bench vela_app_bench
	./build/vela_bench
	./build/vela_app_bench

clean:
	rm -rf build build-asan build-fuzz
