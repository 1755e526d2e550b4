# Installation: the shared objects with their SONAME links, the public
# headers, the licence, the pexilon-config program when it is built (with its
# manual page and bash completion), pkg-config files and CMake packages. Works
# with any prefix given at install time:
#
#   cmake --install build/default --prefix /opt/pexilon
#
# then, in a consumer:
#   pkg-config --cflags --libs pexilon_config_parser
#   find_package(pexilon_config_parser 1 REQUIRED)  ->  pexilon::config_parser

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(PEXILON_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/pexilon_config_parser)

# Consumers see the library as pexilon::config_parser, as inside this build.
set_target_properties(pexilon_config_parser PROPERTIES EXPORT_NAME config_parser)

install(TARGETS pexilon_config_parser
  EXPORT pexilon_config_parser_targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    COMPONENT runtime
    NAMELINK_COMPONENT development)

# The C header and the header-only C++ interface over it, which needs
# nothing more: the same target, the same pkg-config flags. config.hpp
# includes one header a concept from pexilon/config/, installed beside it.
install(FILES
  ${PROJECT_SOURCE_DIR}/include/pexilon/config_parser.h
  ${PROJECT_SOURCE_DIR}/include/pexilon/config.hpp
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pexilon
  COMPONENT development)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/pexilon/config/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pexilon/config
  COMPONENT development
  FILES_MATCHING PATTERN "*.hpp")

# The licence travels with the library (share/doc/pexilon_config_parser).
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DOCDIR}
  COMPONENT runtime)

if(TARGET pexilon_config)
  # A program linked against the shared object finds it in the installed
  # tree, wherever that tree was installed.
  get_target_property(pexilon_tool_libs pexilon_config LINK_LIBRARIES)
  if(pexilon_tool_libs MATCHES "pexilon_config_parser|pexilon::config_parser")
    file(RELATIVE_PATH pexilon_bin_to_lib
      /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${CMAKE_INSTALL_LIBDIR})
    set_target_properties(pexilon_config PROPERTIES
      INSTALL_RPATH "$ORIGIN/${pexilon_bin_to_lib}")
  endif()
  install(TARGETS pexilon_config
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT runtime)
  # Its manual page and its bash completion, where man and bash-completion
  # look for them under the prefix.
  install(FILES ${PROJECT_SOURCE_DIR}/doc/pexilon-config.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    COMPONENT runtime)
  install(FILES ${PROJECT_SOURCE_DIR}/tools/shell/pexilon-config.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
    RENAME pexilon-config
    COMPONENT runtime)
endif()

# pkg-config file. The prefix is filled in at install time, so the one given
# to `cmake --install --prefix` is the one written into it.
foreach(dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(pexilon_pc_${dir} "${CMAKE_INSTALL_${dir}}")
    set(pexilon_dest_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(pexilon_pc_${dir} "\\\${prefix}/${CMAKE_INSTALL_${dir}}")
    set(pexilon_dest_${dir} "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
set(pexilon_pc_staged ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig-staged)
set(pexilon_pc_names pexilon_config_parser)
if(TARGET pexilon_config_check)
  list(APPEND pexilon_pc_names pexilon_config_check)
endif()
# Staged per prefix, so that installs into different prefixes at the same
# time (parallel tests) do not overwrite each other's file.
set(pexilon_config_parser_pc_version ${PROJECT_VERSION})
set(pexilon_config_check_pc_version ${PEXILON_CHECK_VERSION})
foreach(pc_name IN LISTS pexilon_pc_names)
  install(CODE "
    string(MD5 pexilon_pc_key \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    set(PEXILON_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    set(PEXILON_PC_LIBDIR \"${pexilon_pc_LIBDIR}\")
    set(PEXILON_PC_INCLUDEDIR \"${pexilon_pc_INCLUDEDIR}\")
    set(PEXILON_PC_VERSION \"${${pc_name}_pc_version}\")
    configure_file(\"${CMAKE_CURRENT_LIST_DIR}/${pc_name}.pc.in\"
      \"${pexilon_pc_staged}/\${pexilon_pc_key}/${pc_name}.pc\" @ONLY)
    file(INSTALL DESTINATION \"${pexilon_dest_LIBDIR}/pkgconfig\"
      TYPE FILE FILES \"${pexilon_pc_staged}/\${pexilon_pc_key}/${pc_name}.pc\")
    file(REMOVE_RECURSE \"${pexilon_pc_staged}/\${pexilon_pc_key}\")
  " COMPONENT development)
endforeach()

# CMake package: targets, config and version files.
install(EXPORT pexilon_config_parser_targets
  NAMESPACE pexilon::
  FILE pexilon_config_parser-targets.cmake
  DESTINATION ${PEXILON_CMAKE_PACKAGE_DIR}
  COMPONENT development)

configure_package_config_file(
  ${CMAKE_CURRENT_LIST_DIR}/pexilon_config_parser-config.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/pexilon_config_parser-config.cmake
  INSTALL_DESTINATION ${PEXILON_CMAKE_PACKAGE_DIR})

# The SONAME moves with the major version, so any 1.x satisfies a request for 1.
write_basic_package_version_file(
  ${CMAKE_CURRENT_BINARY_DIR}/pexilon_config_parser-config-version.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)

install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/pexilon_config_parser-config.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/pexilon_config_parser-config-version.cmake
  DESTINATION ${PEXILON_CMAKE_PACKAGE_DIR}
  COMPONENT development)

# Editor support: the vim syntax and file-type detection where vim looks for
# system-wide files, the TextMate grammar, and a VS Code extension that
# carries the grammar and starts `pexilon-config lsp`.
set(PEXILON_EDITORS_DIR ${PROJECT_SOURCE_DIR}/editors)
install(FILES ${PEXILON_EDITORS_DIR}/vim/syntax/pexilon.vim
  DESTINATION ${CMAKE_INSTALL_DATADIR}/vim/vimfiles/syntax COMPONENT runtime)
install(FILES ${PEXILON_EDITORS_DIR}/vim/ftdetect/pexilon.vim
  DESTINATION ${CMAKE_INSTALL_DATADIR}/vim/vimfiles/ftdetect COMPONENT runtime)
install(FILES ${PEXILON_EDITORS_DIR}/textmate/pexilon.tmLanguage.json
  DESTINATION ${CMAKE_INSTALL_DATADIR}/pexilon-config/textmate COMPONENT runtime)
# A problem matcher that turns `check --format=gcc` lines, notes included,
# into GitHub annotations (`echo "::add-matcher::PATH"` in a workflow step).
install(FILES ${PEXILON_EDITORS_DIR}/github/pexilon-config-matcher.json
  DESTINATION ${CMAKE_INSTALL_DATADIR}/pexilon-config/github COMPONENT runtime)
install(FILES
  ${PEXILON_EDITORS_DIR}/vscode/package.json
  ${PEXILON_EDITORS_DIR}/vscode/extension.js
  ${PEXILON_EDITORS_DIR}/vscode/detect.js
  ${PEXILON_EDITORS_DIR}/vscode/README.md
  ${PEXILON_EDITORS_DIR}/vscode/language-configuration.json
  DESTINATION ${CMAKE_INSTALL_DATADIR}/pexilon-config/vscode COMPONENT runtime)
install(FILES ${PEXILON_EDITORS_DIR}/textmate/pexilon.tmLanguage.json
  DESTINATION ${CMAKE_INSTALL_DATADIR}/pexilon-config/vscode/syntaxes COMPONENT runtime)

# The check library: its own SONAME, header, pkg-config file (above) and
# CMake package, pexilon_config_check -> pexilon::config_check.
if(TARGET pexilon_config_check)
  set(PEXILON_CHECK_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/pexilon_config_check)
  set_target_properties(pexilon_config_check PROPERTIES EXPORT_NAME config_check)
  install(TARGETS pexilon_config_check
    EXPORT pexilon_config_check_targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
      COMPONENT runtime
      NAMELINK_COMPONENT development)
  # check.hpp includes config.hpp, installed with the parser library above.
  install(FILES
    ${PROJECT_SOURCE_DIR}/include/pexilon/config_check.h
    ${PROJECT_SOURCE_DIR}/include/pexilon/config_check_edit.h
    ${PROJECT_SOURCE_DIR}/include/pexilon/check.hpp
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pexilon
    COMPONENT development)
  install(EXPORT pexilon_config_check_targets
    NAMESPACE pexilon::
    FILE pexilon_config_check-targets.cmake
    DESTINATION ${PEXILON_CHECK_PACKAGE_DIR}
    COMPONENT development)
  configure_package_config_file(
    ${CMAKE_CURRENT_LIST_DIR}/pexilon_config_check-config.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/pexilon_config_check-config.cmake
    INSTALL_DESTINATION ${PEXILON_CHECK_PACKAGE_DIR})
  write_basic_package_version_file(
    ${CMAKE_CURRENT_BINARY_DIR}/pexilon_config_check-config-version.cmake
    VERSION ${PEXILON_CHECK_VERSION}
    COMPATIBILITY SameMajorVersion)
  install(FILES
    ${CMAKE_CURRENT_BINARY_DIR}/pexilon_config_check-config.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/pexilon_config_check-config-version.cmake
    DESTINATION ${PEXILON_CHECK_PACKAGE_DIR}
    COMPONENT development)
endif()
