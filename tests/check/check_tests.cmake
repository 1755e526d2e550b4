# Tests of the checker beyond its GoogleTest program: the program's output on
# the data files of this directory and a C99 host of the shared object. Its
# exports are checked with the parser library's, in tests/CMakeLists.txt.

if(TARGET pexilon_config)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    add_test(NAME check_outputs
      COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/run_cases.py
        --program $<TARGET_FILE:pexilon_config>)
    add_test(NAME check_fixes
      COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/fix_cases.py
        --program $<TARGET_FILE:pexilon_config> --corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus)
    add_test(NAME check_directives
      COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/directive_cases.py
        --program $<TARGET_FILE:pexilon_config>)
  endif()
endif()

add_executable(check_host ${PROJECT_SOURCE_DIR}/tests/host/check_host.c)
set_target_properties(check_host PROPERTIES C_STANDARD 99 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
target_compile_options(check_host PRIVATE -pedantic -Wall -Wextra -Werror)
target_link_libraries(check_host PRIVATE pexilon_config_check)
add_test(NAME check_host COMMAND check_host)

if(NOT "${CMAKE_C_FLAGS} ${CMAKE_CXX_FLAGS} ${CMAKE_SHARED_LINKER_FLAGS}" MATCHES "-fsanitize="
   AND EXISTS ${PROJECT_SOURCE_DIR}/cmake/install.cmake)
  add_test(NAME check_consumer
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/consumers/check_consumer.sh
      ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${CMAKE_INSTALL_LIBDIR}
      ${PROJECT_VERSION} ${PEXILON_SOVERSION} ${CMAKE_COMMAND} ${PEXILON_CHECK_VERSION})
endif()
