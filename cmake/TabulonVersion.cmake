# The executable's version information: cmake/version.ini is turned into a
# VS_VERSIONINFO block by tabulon_versiongen (built here) and added to the
# linked executable as the ELF section ".tabulon_version", which TqdFileInfo
# reads back.
#
#   tabulon_attach_version_block(<target> [<description.ini>])

set(TABULON_VERSION_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

function(tabulon_attach_version_block target)
  set(description ${TABULON_VERSION_CMAKE_DIR}/version.ini)
  if(ARGC GREATER 1)
    set(description ${ARGV1})
  endif()
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "objcopy (binutils) is needed to write the version information into ${target}")
  endif()

  if(NOT TARGET tabulon_versiongen)
    add_executable(tabulon_versiongen ${TABULON_VERSION_CMAKE_DIR}/versiongen.cpp)
    target_include_directories(tabulon_versiongen PRIVATE ${PROJECT_SOURCE_DIR}/src/components)
    target_link_libraries(tabulon_versiongen PRIVATE Qt6::Core)
  endif()

  set(block ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.bin)
  add_custom_command(OUTPUT ${block}
    COMMAND tabulon_versiongen ${description} ${block}
    DEPENDS tabulon_versiongen ${description} ${PROJECT_SOURCE_DIR}/src/components/o_AppInfo.h
    COMMENT "Writing the version information of ${target}"
    VERBATIM)
  add_custom_target(${target}_version_block DEPENDS ${block})
  add_dependencies(${target} ${target}_version_block)
  # A new block relinks the executable, and every link adds the section afresh.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${block})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --add-section .tabulon_version=${block}
            --set-section-flags .tabulon_version=contents,readonly $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
