# The version of the json headers that nlohmann_jsonConfig.cmake offers, read
# from the headers themselves.
find_file(PEXILON_HOST_NLOHMANN_JSON_HPP nlohmann/detail/abi_macros.hpp
  PATHS /usr/include /usr/local/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
set(PACKAGE_VERSION 0)
if(PEXILON_HOST_NLOHMANN_JSON_HPP)
  file(READ ${PEXILON_HOST_NLOHMANN_JSON_HPP} _pexilon_json_head LIMIT 2000)
  foreach(part MAJOR MINOR PATCH)
    string(REGEX MATCH "NLOHMANN_JSON_VERSION_${part} ([0-9]+)" _ "${_pexilon_json_head}")
    set(_pexilon_json_${part} ${CMAKE_MATCH_1})
  endforeach()
  set(PACKAGE_VERSION ${_pexilon_json_MAJOR}.${_pexilon_json_MINOR}.${_pexilon_json_PATCH})
endif()
if(PACKAGE_VERSION VERSION_LESS PACKAGE_FIND_VERSION)
  set(PACKAGE_VERSION_COMPATIBLE FALSE)
else()
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
endif()
