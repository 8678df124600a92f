# clang's wasm32-wasi target with Debian's wasi-libc and libc++ for it
# (wasi-libc, libc++-14-dev-wasm32, libclang-rt-14-dev-wasm32, lld-14). The
# build that starts this one (cmake/WebPage.cmake) names the compiler and the
# sysroot it has checked.
if(NOT VARVE_WASM_CXX)
  set(VARVE_WASM_CXX clang++)
endif()
if(NOT VARVE_WASM_SYSROOT)
  set(VARVE_WASM_SYSROOT /usr)
endif()
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER "${VARVE_WASM_CXX}")
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_SYSROOT "${VARVE_WASM_SYSROOT}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VARVE_WASM_CXX VARVE_WASM_SYSROOT)
# The compiler checks build a library: a WASI program would need a main.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
