# Oniguruma as the imported target Oniguruma::onig.
# Natively: Debian's libonig-dev (it ships no CMake package of its own).
# Windows: the static build scripts/setup puts in the cross prefix.
find_path(Oniguruma_INCLUDE_DIR oniguruma.h)
find_library(Oniguruma_LIBRARY NAMES onig)

if(Oniguruma_INCLUDE_DIR AND EXISTS "${Oniguruma_INCLUDE_DIR}/oniguruma.h")
  file(STRINGS "${Oniguruma_INCLUDE_DIR}/oniguruma.h" _onig_version_lines
    REGEX "^#define ONIGURUMA_VERSION_(MAJOR|MINOR|TEENY) +[0-9]+")
  foreach(_part MAJOR MINOR TEENY)
    string(REGEX REPLACE ".*ONIGURUMA_VERSION_${_part} +([0-9]+).*" "\\1"
      _onig_${_part} "${_onig_version_lines}")
  endforeach()
  set(Oniguruma_VERSION "${_onig_MAJOR}.${_onig_MINOR}.${_onig_TEENY}")
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Oniguruma
  REQUIRED_VARS Oniguruma_LIBRARY Oniguruma_INCLUDE_DIR
  VERSION_VAR Oniguruma_VERSION)

if(Oniguruma_FOUND AND NOT TARGET Oniguruma::onig)
  add_library(Oniguruma::onig UNKNOWN IMPORTED)
  set_target_properties(Oniguruma::onig PROPERTIES
    IMPORTED_LOCATION "${Oniguruma_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${Oniguruma_INCLUDE_DIR}")
  if(WIN32)
    # The Windows build is static: keep oniguruma.h from declaring dllimport
    # (it does so for compilers other than GCC).
    set_property(TARGET Oniguruma::onig APPEND PROPERTY
      INTERFACE_COMPILE_DEFINITIONS ONIG_STATIC)
  endif()
endif()

mark_as_advanced(Oniguruma_INCLUDE_DIR Oniguruma_LIBRARY)
