# The layers of src/, from the bottom up, and the check that every arrow points down: a file
# may include headers of its own folder and of folders in lower layers only, and a library
# of ours may link only libraries of lower layers (or of its own folder). Configuring fails
# on the first arrow that points sideways or up.
set(CORVANE_LAYERS
  "text win32"
  "settings files"
  "hive"
  "search"
  "regequiv savedsearch export launcher about"
  "ui ui/window app/startup"
  "ui/detail ui/crit ui/results ui/export ui/regfile ui/about"
  "ui/copy ui/saved"
  "ui/main"
  "app/corvane app/find")

# The layer number of folder vFolder (relative to src/) into vOut; -1 for none.
function(corvane_layer_of vFolder vOut)
  set(level 0)
  foreach(layer IN LISTS CORVANE_LAYERS)
    string(REPLACE " " ";" folders "${layer}")
    if(vFolder IN_LIST folders)
      set(${vOut} ${level} PARENT_SCOPE)
      return()
    endif()
    math(EXPR level "${level} + 1")
  endforeach()
  set(${vOut} -1 PARENT_SCOPE)
endfunction()

# Every #include "x/y.h" of every source file under src/.
function(corvane_check_includes)
  set(src ${PROJECT_SOURCE_DIR}/src)
  file(GLOB_RECURSE files RELATIVE ${src} ${src}/*.h ${src}/*.cpp)
  set(faults "")
  foreach(file IN LISTS files)
    get_filename_component(folder ${file} DIRECTORY)
    corvane_layer_of("${folder}" own)
    if(own EQUAL -1)
      string(APPEND faults "\n  ${file}: folder ${folder} has no layer")
      continue()
    endif()
    file(STRINGS ${src}/${file} lines REGEX "^#include \"[^\"]+/[^\"]+\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^#include \"([^\"]+)/[^/\"]+\".*" "\\1" target "${line}")
      if(target STREQUAL folder)
        continue()
      endif()
      corvane_layer_of("${target}" theirs)
      if(theirs EQUAL -1 OR NOT theirs LESS own)
        string(APPEND faults "\n  ${file} includes ${target}/ (layer ${theirs}, its own ${own})")
      endif()
    endforeach()
  endforeach()
  if(faults)
    message(FATAL_ERROR "Includes that do not point down:${faults}")
  endif()
endfunction()

# Every library of ours made in src/ links only libraries of ours from lower layers.
function(corvane_check_links)
  get_property(targets DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTY CORVANE_LIBRARIES)
  set(faults "")
  foreach(t IN LISTS targets)
    get_target_property(dir ${t} SOURCE_DIR)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${dir})
    corvane_layer_of("${folder}" own)
    get_target_property(deps ${t} LINK_LIBRARIES)
    foreach(d IN LISTS deps)
      if(NOT d MATCHES "^corvane_" OR NOT TARGET ${d})
        continue()
      endif()
      get_target_property(ddir ${d} SOURCE_DIR)
      file(RELATIVE_PATH dfolder ${PROJECT_SOURCE_DIR}/src ${ddir})
      if(dfolder STREQUAL folder OR dfolder MATCHES "^\\.\\.")
        continue()
      endif()
      corvane_layer_of("${dfolder}" theirs)
      if(theirs EQUAL -1 OR NOT theirs LESS own)
        string(APPEND faults "\n  ${t} (${folder}) links ${d} (${dfolder})")
      endif()
    endforeach()
  endforeach()
  if(faults)
    message(FATAL_ERROR "Links that do not point down:${faults}")
  endif()
endfunction()
