# Checks made the way a host and a hostile environment see the library:
# a plain C99 host, the header in C++, and allocation failure injection.

# --- A C99 host that knows only the public header and the shared object, and
# the same host as C11, which names the camera fields on the record as well.
foreach(std 99 11)
  set(host c_host)
  if(std EQUAL 11)
    set(host c_host_c11)
  endif()
  add_executable(${host} host/c_host.c)
  set_target_properties(${host} PROPERTIES C_STANDARD ${std} C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
  target_compile_options(${host} PRIVATE -pedantic -Wall -Wextra -Werror)
  target_link_libraries(${host} PRIVATE pexilon_config_parser)
  # Each in its own folder, as each writes a file of its own there.
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${host}_files)
  add_test(NAME ${host}.own_file COMMAND ${host} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${host}_files)
endforeach()
if(EXISTS ${PROJECT_SOURCE_DIR}/examples/sample.conf)
  add_test(NAME c_host.sample COMMAND c_host ${PROJECT_SOURCE_DIR}/examples/sample.conf)
endif()

# --- The header included twice by a C++ host.
add_executable(header_as_cxx host/header_as_cxx.cpp)
target_link_libraries(header_as_cxx PRIVATE pexilon_config_parser pexilon_warnings)
add_test(NAME header_as_cxx COMMAND header_as_cxx)

# --- Sanitizer runtimes are expected dependencies of a sanitized library.
if(TARGET test_exported_symbols AND "${CMAKE_CXX_FLAGS} ${CMAKE_SHARED_LINKER_FLAGS}" MATCHES "-fsanitize=")
  target_compile_definitions(test_exported_symbols PRIVATE PEXILON_SANITIZED_BUILD)
endif()

# --- The library's internals over a heap whose Nth allocation fails.
pexilon_add_core(pexilon_core_failable)
target_compile_definitions(pexilon_core_failable PUBLIC PEXILON_FAILABLE_HEAP)
target_sources(pexilon_core_failable PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/alloc/failable_heap.cpp)
target_include_directories(pexilon_core_failable PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

add_executable(test_alloc_failure alloc/test_alloc_failure.cpp)
target_link_libraries(test_alloc_failure PRIVATE pexilon_core_failable GTest::gtest_main pexilon_warnings)
gtest_discover_tests(test_alloc_failure DISCOVERY_TIMEOUT 60)

# --- The program with its open or a read of the file interrupted by a signal.
find_program(PEXILON_STRACE strace)
if(PEXILON_STRACE AND TARGET pexilon_config AND EXISTS ${PROJECT_SOURCE_DIR}/examples/sample.conf)
  add_test(NAME interrupted_reads
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/host/interrupted_reads.sh
      $<TARGET_FILE:pexilon_config> ${PROJECT_SOURCE_DIR}/examples/sample.conf)
  set_tests_properties(interrupted_reads PROPERTIES SKIP_RETURN_CODE 77)
endif()
