# nlohmann_json for the WebAssembly build. Debian's own package config puts
# /usr/include on the include path, and there the host's C library headers
# would shadow Emscripten's; this one offers the json headers alone, through a
# folder in the build tree that holds nothing but a link to them.
if(NOT TARGET nlohmann_json::nlohmann_json)
  find_path(PEXILON_HOST_NLOHMANN_JSON nlohmann/json.hpp
    PATHS /usr/include /usr/local/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT PEXILON_HOST_NLOHMANN_JSON)
    set(nlohmann_json_FOUND FALSE)
    return()
  endif()
  set(_pexilon_json_dir ${CMAKE_BINARY_DIR}/web-json-include)
  file(MAKE_DIRECTORY ${_pexilon_json_dir})
  file(CREATE_LINK ${PEXILON_HOST_NLOHMANN_JSON}/nlohmann ${_pexilon_json_dir}/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${_pexilon_json_dir})
endif()
set(nlohmann_json_FOUND TRUE)
