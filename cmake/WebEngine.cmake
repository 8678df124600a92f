# The engine of the web page, built for wasm32-wasi as one module: only the
# sources the page's calls reach, none of the console I/O. The toolchain has no
# C++ exceptions, so nothing built here may throw or catch; running out of
# memory aborts, which stops the module and the page reports it.
add_compile_options(-fno-exceptions -Oz -flto)
add_link_options(-flto)
add_executable(varve-web
  src/chronology/tables_agree.cpp
  src/sentences/record_layout.cpp
  src/sentences/result_records.cpp
  src/batch/column.cpp
  src/batch/csv_reader.cpp
  src/batch/line_mode.cpp
  src/batch/list_mode.cpp
  src/batch/rows.cpp
  src/batch/text_encoding.cpp
  src/batch/tokens.cpp
  src/chart/chart.cpp
  src/web/calls.cpp
  src/web/exports.cpp)
foreach(folder chronology sentences batch chart web)
  varve_expose_headers(varve-web ${folder})
endforeach()
target_link_libraries(varve-web PRIVATE varve_warnings)
# A library module (no main) whose exports the page calls; symbols stripped.
target_link_options(varve-web PRIVATE -mexec-model=reactor -Wl,--strip-all)
set_target_properties(varve-web PROPERTIES SUFFIX .wasm)
