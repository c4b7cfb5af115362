# Compiler settings shared by every target of our own.
if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

if(MSVC)
  set(CORVANE_WARNINGS /W4 /WX /permissive- /utf-8)
else()
  set(CORVANE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
                       -Wimplicit-fallthrough -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports false -Wrestrict overlaps inside std::basic_string at -O2 and above
    # (GCC bug 105329).
    list(APPEND CORVANE_WARNINGS -Wno-restrict)
  endif()
endif()

if(CORVANE_SANITIZE AND NOT WIN32 AND CMAKE_BUILD_TYPE STREQUAL "Debug")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# corvane_target_defaults(<target>): our warnings, include root, Unicode entry points.
function(corvane_target_defaults target)
  target_compile_options(${target} PRIVATE ${CORVANE_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# corvane_add_library(<name> <sources>...): a static library of ours.
function(corvane_add_library name)
  add_library(${name} STATIC ${ARGN})
  corvane_target_defaults(${name})
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CORVANE_LIBRARIES ${name})
endfunction()

# corvane_add_executable(<name> [CONSOLE|GUI] <sources>...): an executable of ours; on Windows
# it links the version resource and uses the wide entry point.
function(corvane_add_executable name kind)
  if(kind STREQUAL "GUI" AND WIN32)
    add_executable(${name} WIN32 ${ARGN})
  else()
    add_executable(${name} ${ARGN})
  endif()
  corvane_target_defaults(${name})
  if(WIN32)
    if(CORVANE_UNICODE_ENTRY_FLAG)
      target_link_options(${name} PRIVATE ${CORVANE_UNICODE_ENTRY_FLAG})
    endif()
    if(TARGET corvane_resources)
      target_link_libraries(${name} PRIVATE corvane_resources)
    endif()
  endif()
endfunction()
