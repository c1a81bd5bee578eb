# nlohmann-json as the interface target quarro_json, for every tool and test
# that reads or writes JSON. The library is header
# only, so a cross build can take the headers of the build machine's
# package: only that folder is put on the include path.
find_package(nlohmann_json 3 QUIET)
add_library(quarro_json INTERFACE)
if(nlohmann_json_FOUND)
  target_link_libraries(quarro_json INTERFACE nlohmann_json::nlohmann_json)
else()
  find_path(QUARRO_NLOHMANN_INCLUDE nlohmann/json.hpp PATHS /usr/include /usr/local/include
    NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
  if(NOT QUARRO_NLOHMANN_INCLUDE)
    message(FATAL_ERROR "nlohmann-json not found (Debian package nlohmann-json3-dev)")
  endif()
  set(_json_dir ${CMAKE_BINARY_DIR}/nlohmann-include)
  file(MAKE_DIRECTORY ${_json_dir})
  file(CREATE_LINK ${QUARRO_NLOHMANN_INCLUDE}/nlohmann ${_json_dir}/nlohmann SYMBOLIC)
  target_include_directories(quarro_json SYSTEM INTERFACE ${_json_dir})
endif()
