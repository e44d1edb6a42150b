# zan_export_library(TARGET HEADER EXPORT_REGEX DEF SOURCES...): a shared
# library that exports exactly the functions its public header declares.
# On Windows the names go out undecorated (the .def lists them with their
# 32-bit @N sizes; the 64-bit build takes the list without them), and the
# 32-bit import library keeps the decorated names callers compiled against
# the header link to. Elsewhere a version script made from the header's
# declarations keeps everything else local, the static libraries the
# library is built from included. EXPORT_REGEX matches a declaration line
# and captures the function's name.
function(zan_export_library target header export_regex def)
  if(WIN32)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      file(READ ${def} def_text)
      string(REGEX REPLACE "@[0-9]+" "" def_text "${def_text}")
      get_filename_component(def_name ${def} NAME)
      set(def ${CMAKE_CURRENT_BINARY_DIR}/${def_name})
      file(WRITE ${def} "${def_text}")
    endif()
    add_library(${target} SHARED ${ARGN} ${def})
    set_target_properties(${target} PROPERTIES PREFIX "")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_link_options(${target} PRIVATE -Wl,--kill-at)
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_DLLTOOL} -k -D ${target}.dll -d ${def} -l $<TARGET_LINKER_FILE:${target}>)
    endif()
  else()
    add_library(${target} SHARED ${ARGN})
    set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
    file(STRINGS ${header} export_lines REGEX "${export_regex}")
    set(export_names "")
    foreach(line ${export_lines})
      string(REGEX REPLACE "${export_regex}.*" "\\1;" name "${line}")
      string(APPEND export_names "    ${name}\n")
    endforeach()
    set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
    file(WRITE ${map} "{\n  global:\n${export_names}  local: *;\n};\n")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
    target_link_options(${target} PRIVATE -Wl,--version-script=${map})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
endfunction()
