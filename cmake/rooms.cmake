# The rooms of src/ as static libraries whose links follow the road of the
# data: include/ holds the contracts, src/support what every floor uses,
# src/reader turns bytes into events, src/config events into the record, and
# what builds on them (input, check, format, dump) comes after.
#
# A room's headers are reached as "room/file.h" through a folder of the build
# tree that holds one link, room -> src/room; that folder is the room's
# public include directory and src/ is none. A target therefore sees the
# headers of the rooms it links and no others, and an include that points up
# the road fails to compile instead of waiting for a review to notice it.

set(PEXILON_ROOMS_DIR ${PROJECT_BINARY_DIR}/rooms)

# Sets `out` to the folder through which the headers of `room` are included.
function(pexilon_room_include_dir room out)
  set(dir ${PEXILON_ROOMS_DIR}/${room})
  if(NOT IS_SYMLINK ${dir}/${room})
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${room} ${dir}/${room} SYMBOLIC)
  endif()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# pexilon_add_room(TARGET ROOM SOURCES file.cpp... [LINKS target...])
# A static library of the named sources of src/ROOM, over the rooms LINKS
# names (publicly, so that its users see what its headers include).
function(pexilon_add_room target room)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "SOURCES;LINKS")
  list(TRANSFORM arg_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/src/${room}/)
  add_library(${target} STATIC ${arg_SOURCES})
  pexilon_room_include_dir(${room} dir)
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${dir}>)
  target_link_libraries(${target} PUBLIC ${arg_LINKS} PRIVATE pexilon_warnings)
endfunction()

# The rooms of the library's internals, as each copy of them builds them.
set(PEXILON_SUPPORT_SOURCES record_ops.cpp character_columns.cpp)
set(PEXILON_READER_SOURCES
  text_helpers.cpp line_parser.cpp stream_source.cpp text_source.cpp line_map.cpp)
set(PEXILON_CONFIG_SOURCES
  value_parsing.cpp interpreter.cpp value_accounts.cpp line_accounts.cpp camera_settings.cpp
  param_entries.cpp control_entries.cpp parse_config.cpp record_compare.cpp
  record_changes.cpp told_parse.cpp)

# pexilon_add_core(NAME [OPTIONS flag...] [DEFINITIONS name...])
# The library's internals as static archives NAME_support, NAME_reader and
# NAME_config, and NAME, which links all three: linked into the shared
# object (which exports one symbol of them), and directly into the tools and
# tests that reach past the one exported function. OPTIONS and DEFINITIONS
# are for the instrumented copies (fuzz, allocation failure): they apply to
# every source of the copy, DEFINITIONS to its users too.
function(pexilon_add_core name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "OPTIONS;DEFINITIONS")
  pexilon_add_room(${name}_support support SOURCES ${PEXILON_SUPPORT_SOURCES})
  target_include_directories(${name}_support PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>)
  pexilon_add_room(${name}_reader reader SOURCES ${PEXILON_READER_SOURCES} LINKS ${name}_support)
  pexilon_add_room(${name}_config config SOURCES ${PEXILON_CONFIG_SOURCES} LINKS ${name}_reader)
  foreach(room support reader config)
    set(target ${name}_${room})
    target_compile_definitions(${target} PUBLIC PEXILON_CONFIG_PARSER_BUILD ${arg_DEFINITIONS})
    # The parse path neither throws nor needs run-time type information, so
    # the shared object depends on the C library alone.
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti ${arg_OPTIONS})
    set_target_properties(${target} PROPERTIES
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
  endforeach()
  add_library(${name} INTERFACE)
  target_link_libraries(${name} INTERFACE ${name}_config)
endfunction()

# pexilon_add_check_core(NAME CORE DOCUMENT DOC [OPTIONS flag...])
# The checker over a given copy of the internals (the fuzz build has its
# own, instrumented): the rooms NAME_input (an input read whole into
# memory), NAME_check (the reader's and interpreter's reports to
# diagnostics, the line accounts of explain) and NAME_format (the
# formatter, which reads a text as the document DOC over the same CORE
# models it), and NAME, which links all three.
function(pexilon_add_check_core name core)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "DOCUMENT" "OPTIONS")
  pexilon_add_room(${name}_input input SOURCES text_block.cpp input_reading.cpp LINKS ${core})
  pexilon_add_room(${name}_check check
    SOURCES suggestions.cpp fixits.cpp size_pair.cpp suppressions.cpp value_rules.cpp
      header_rules.cpp entry_rules.cpp block_rules.cpp control_rules.cpp explain_words.cpp
      run_state.cpp split_rules.cpp fault_rules.cpp fault_fixes.cpp section_rules.cpp key_rules.cpp
      unknown_key_rules.cpp fate_rules.cpp line_words.cpp
      rule_pass.cpp checker.cpp placement.cpp fix_judging.cpp fix_all.cpp record_trace.cpp explained_lines.cpp
      diagnostic_kinds.cpp
    LINKS ${name}_input)
  pexilon_add_room(${name}_format format
    SOURCES format_lines.cpp format_values.cpp format_hand_columns.cpp format_layout.cpp
      line_spacing.cpp formatter.cpp
    LINKS ${name}_check ${arg_DOCUMENT})
  foreach(room input check format)
    set(target ${name}_${room})
    target_compile_definitions(${target} PUBLIC PEXILON_CONFIG_CHECK_BUILD)
    target_compile_options(${target} PRIVATE ${arg_OPTIONS})
    set_target_properties(${target} PROPERTIES
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
  endforeach()
  add_library(${name} INTERFACE)
  target_link_libraries(${name} INTERFACE ${name}_format)
endfunction()
