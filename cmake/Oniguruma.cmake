# Oniguruma as the imported target Oniguruma::onig. Natively the system's
# library; the Windows cross build finds the static one that scripts/setup
# builds into its cache, through CMAKE_PREFIX_PATH or CMAKE_FIND_ROOT_PATH.
find_path(ONIGURUMA_INCLUDE_DIR oniguruma.h REQUIRED)
find_library(ONIGURUMA_LIBRARY NAMES onig REQUIRED)

add_library(Oniguruma::onig UNKNOWN IMPORTED)
set_target_properties(Oniguruma::onig PROPERTIES
  IMPORTED_LOCATION "${ONIGURUMA_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${ONIGURUMA_INCLUDE_DIR}")
# A static library on Windows: its header must not ask for DLL imports.
if(WIN32 AND NOT ONIGURUMA_LIBRARY MATCHES "\\.dll\\.a$")
  set_property(TARGET Oniguruma::onig APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS ONIG_STATIC)
endif()
