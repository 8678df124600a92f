# clang's wasm32-wasi target with Debian's wasi-libc and libc++ for it
# (wasi-libc, libc++-14-dev-wasm32, libclang-rt-14-dev-wasm32, lld-14).
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_SYSROOT /usr)
# The compiler checks build a library: a WASI program would need a main.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
