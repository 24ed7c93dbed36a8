# Thin wrapper over CMake. `make run` and `make test` install what is missing first.
JOBS ?= 2

.PHONY: deps build run install package test tsan bench fuzz memcheck sheet clean
PREFIX ?= /usr/local

deps:
	@scripts/install-deps

# The release viewer, with its runtime data beside it in build/.
build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUILLMOOR_TESTS=OFF -DQUILLMOOR_BENCH=OFF
	cmake --build build -j$(JOBS)

run: build
	build/quillmoor

# The viewer into PREFIX/bin, its data into PREFIX/share/quillmoor.
install: build
	cmake --install build --prefix $(PREFIX)

# A Debian package of the release viewer: build/quillmoor_VERSION_ARCH.deb.
package: build
	cd build && cpack -G DEB

# Every test (unit, gl, e2e) under AddressSanitizer + UndefinedBehaviorSanitizer.
test: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLMOOR_SANITIZE=address
	cmake --build build-asan -j$(JOBS)
	cd build-asan && ctest --output-on-failure -j$(JOBS)

# The suite under ThreadSanitizer.
tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQUILLMOOR_SANITIZE=thread
	cmake --build build-tsan -j$(JOBS)
	cd build-tsan && ctest --output-on-failure -L unit -E scenegen.deterministic

# Every model file of the test data.
MODEL_FILES = $(sort $(foreach ext,gltf glb fbx obj dae 3ds ply stl,$(wildcard tests/data/*/*.$(ext))))

# Benchmarks of the release build; they print their figures.
bench: deps
	@scripts/install-deps bench
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUILLMOOR_TESTS=OFF -DQUILLMOOR_BENCH=ON
	cmake --build build -j$(JOBS)
	cd build && ./bench/qm_drawlists_bench && ./bench/qm_motion_bench && ./bench/qm_render_bench 30 \
	  $(CURDIR)/tests/data/materials/spheres.gltf $(CURDIR)/tests/data/animation/skinned-bar.gltf
	cd build && ./bench/qm_lod_bench $(wildcard $(CURDIR)/tests/data/meshes/*.obj) bench/data/stanford-bunny.obj \
	  bench/data/horse.ply bench/data/igea.ply $(wildcard $(CURDIR)/tests/data/fbx/*.fbx)
	cd build && ./bench/qm_lod_bench --scene QM/QM.fbx
	cd build && ./bench/qm_lod_bench --scene bench/data/QM-large.fbx
	cd build && xvfb-run -a ./bench/qm_open_bench ./quillmoor bench/open --peer /usr/bin/f3d --moor \
	  --model bench/data/QM-large.fbx 1000 2000
	cd build && ./bench/qm_open_bench ./quillmoor bench/thumbnails $(addprefix --thumbnail $(CURDIR)/,$(MODEL_FILES))
	cd build && ./bench/qm_open_bench ./quillmoor bench/thumbnails --thumbnail bench/data/QM-large.fbx
	cd build && ./tools/scenegen/scenegen --field 1001 bench/data/field-2m.glb
	cd build && ./bench/qm_gltf_reader_bench $(CURDIR)/tests/data/materials/spheres.gltf bench/data/field-2m.glb
	cd build && for reader in assimp auto; do for file in $(CURDIR)/tests/data/materials/spheres.gltf bench/data/field-2m.glb; do \
	  /usr/bin/time -f "reader_process $$reader $$(basename $$file) seconds %e peak_kib %M" \
	  ./quillmoor-reader --reader $$reader $$file >/dev/null; done; done
	cd build && xvfb-run -a ./bench/qm_open_bench ./quillmoor bench/open --peer /usr/bin/f3d --model bench/data/field-2m.glb
	cd build && xvfb-run -a ./bench/qm_open_bench ./quillmoor bench/open --peer /usr/bin/f3d \
	  --model $(CURDIR)/tests/data/materials/spheres.gltf
	cd build && ./bench/qm_reader_memory_bench 4 $(wildcard $(CURDIR)/tests/data/fbx/*.fbx) \
	  $(wildcard $(CURDIR)/tests/data/meshes/*.obj) $(wildcard $(CURDIR)/tests/regressions/import/*)

# The fuzz targets, built with clang and libFuzzer into build-fuzz;
# scripts/run-fuzzers runs them.
fuzz: deps
	@scripts/install-deps fuzz
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMOOR_SANITIZE=fuzzer \
	  -DQUILLMOOR_TESTS=OFF
	cmake --build build-fuzz -j$(JOBS)

# The release viewer under valgrind's memcheck with the small model: start-up,
# a few frames, Escape. Prints memcheck's summary.
memcheck: build
	@scripts/install-deps memcheck
	tests/memcheck.sh build/quillmoor build/QM build/QM-small.fbx

# A contact sheet of the generated textures, sky faces and billboard pictures.
sheet: build
	scripts/contact-sheet build/QM build/contact-sheet.png

clean:
	rm -rf build build-asan build-tsan
