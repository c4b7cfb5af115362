# corvane::pcre2: PCRE2 with 16-bit code units (registry text is UTF-16), linked statically.
# Natively it is Debian's libpcre2-dev. For Windows, CORVANE_PCRE2_ROOT names a prefix with
# include/pcre2.h and lib/libpcre2-16.a: by default the MinGW-w64 build that scripts/setup.sh
# makes from Debian's source package; on Windows itself, e.g. MSYS2's mingw64 folder with
# mingw-w64-x86_64-pcre2 installed.
if(TARGET corvane::pcre2)
  return()
endif()

if(WIN32)
  set(CORVANE_PCRE2_ROOT "${PROJECT_SOURCE_DIR}/build/deps/pcre2-mingw"
      CACHE PATH "Prefix of a static PCRE2 build with 16-bit code units")
  find_path(CORVANE_PCRE2_INCLUDE pcre2.h PATHS "${CORVANE_PCRE2_ROOT}/include"
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_library(CORVANE_PCRE2_LIBRARY NAMES libpcre2-16.a pcre2-16-static pcre2-16
               PATHS "${CORVANE_PCRE2_ROOT}/lib" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  set(hint "run `bash -c 'source scripts/setup.sh && corvane_pcre2_mingw'` to build it from "
           "Debian's source package, or set CORVANE_PCRE2_ROOT to a prefix that has it "
           "(MSYS2: pacman -S mingw-w64-x86_64-pcre2, then C:/msys64/mingw64)")
else()
  find_path(CORVANE_PCRE2_INCLUDE pcre2.h)
  find_library(CORVANE_PCRE2_LIBRARY NAMES libpcre2-16.a pcre2-16)
  set(hint "install Debian's libpcre2-dev (scripts/setup.sh does)")
endif()

if(NOT CORVANE_PCRE2_INCLUDE OR NOT CORVANE_PCRE2_LIBRARY)
  string(CONCAT hint ${hint})
  message(FATAL_ERROR "PCRE2 with 16-bit code units was not found: ${hint}.")
endif()

add_library(corvane::pcre2 STATIC IMPORTED)
set_target_properties(corvane::pcre2 PROPERTIES
  IMPORTED_LOCATION "${CORVANE_PCRE2_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${CORVANE_PCRE2_INCLUDE}"
  INTERFACE_COMPILE_DEFINITIONS PCRE2_CODE_UNIT_WIDTH=16)
if(WIN32)
  # The declarations without dllimport: the library is linked in.
  set_property(TARGET corvane::pcre2 APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS PCRE2_STATIC)
endif()
message(STATUS "PCRE2 (16-bit): ${CORVANE_PCRE2_LIBRARY}")
