# The build itself keeps includes pointing down the road: a target sees only
# the headers of the rooms it links (cmake/rooms.cmake). Each row compiles
# tests/layout/room_probe.cpp, which includes HEADER, over the links of
# TARGET, and expects the build to succeed or to fail; a row that builds
# shows that the rows that fail, fail for want of the room alone.
#
#   TARGET HEADER builds|fails
set(PEXILON_ROOM_PROBES
  "pexilon_core_support support/heap.h builds"
  "pexilon_core_support reader/line_map.h fails"
  "pexilon_core_reader support/heap.h builds"
  "pexilon_core_reader config/vocabulary.h fails"
  "pexilon_core_config reader/line_map.h builds"
  "pexilon_core_config input/input_reading.h fails"
  "pexilon_core_config dump/config_dump.h fails"
  "pexilon_dump config/code_tables.h builds"
  "pexilon_dump check/checker.h fails"
  "pexilon_check_core_input config/line_accounts.h builds"
  "pexilon_check_core_input check/checker.h fails"
  "pexilon_check_core_check input/input_reading.h builds"
  "pexilon_check_core_check format/formatter.h fails"
  "pexilon_check_core_check document/document.h fails"
  "pexilon_check_core_format check/line_rules.h builds"
  "pexilon_check_core_format document/document.h builds")

set(probe 0)
foreach(row IN LISTS PEXILON_ROOM_PROBES)
  string(REPLACE " " ";" row ${row})
  list(GET row 0 target)
  list(GET row 1 header)
  list(GET row 2 expected)
  # A misspelt header would fail for want of itself, not of its room.
  if(NOT EXISTS ${PROJECT_SOURCE_DIR}/src/${header})
    message(FATAL_ERROR "room probe: src/${header} does not exist")
  endif()
  math(EXPR probe "${probe} + 1")
  set(name room_probe_${probe})
  add_library(${name} OBJECT EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/room_probe.cpp)
  target_link_libraries(${name} PRIVATE ${target} pexilon_warnings)
  target_compile_definitions(${name} PRIVATE PEXILON_PROBE_HEADER="${header}")
  string(REPLACE "/" "." shown ${header})
  add_test(NAME rooms.${target}.${shown}.${expected}
    COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target ${name})
  # The probes build in the tree the other tests run from, one at a time.
  set_tests_properties(rooms.${target}.${shown}.${expected} PROPERTIES RESOURCE_LOCK build_tree)
  if(expected STREQUAL "fails")
    set_tests_properties(rooms.${target}.${shown}.${expected} PROPERTIES WILL_FAIL TRUE)
  endif()
endforeach()
