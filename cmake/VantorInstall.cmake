# Install rules in one line per target, so that a new program or library is
# installed where the others are:
#
#   vantor_install_programs(<targets...>)
#       programs into bin/, finding the project's libraries in lib/.
#   vantor_install_library(<target> COMPONENT <name>
#                          [NEEDS <other VANTOR components>...]
#                          [DEPENDENCY "<find_package arguments>"]...
#                          [PKGCONFIG "<description>" [PKGCONFIG_REQUIRES "<modules>"]])
#       a shared library into lib/ with a versioned SONAME, its public include
#       folders into include/, exported as VANTOR::<target> in the component
#       <name> of find_package(VANTOR COMPONENTS <name>); NEEDS loads the
#       components whose libraries it links publicly, DEPENDENCY finds other
#       packages it links publicly; PKGCONFIG also writes
#       lib/pkgconfig/<target lower case>.pc (for libraries without Qt).
#       Call it after the target's target_include_directories().
#   vantor_install_data(<files or folders...> [DESTINATION <sub-folder>])
#       shipped data into share/vantor-viewer/.
#
# The package configuration files are written by vantor_install_package_config(),
# called once at the end of the top-level CMakeLists.txt.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VANTOR_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/vantor-viewer)
set(VANTOR_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/VANTOR)

# Installed programs find the libraries relative to themselves, so an install
# into any prefix (or a moved one) runs without LD_LIBRARY_PATH.
file(RELATIVE_PATH _vantor_bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
set(VANTOR_PROGRAM_INSTALL_RPATH "$ORIGIN/${_vantor_bin_to_lib}")
# The shipped data as the programs see it from bin/.
file(RELATIVE_PATH VANTOR_DATA_FROM_PROGRAM /${CMAKE_INSTALL_BINDIR} /${VANTOR_INSTALL_DATADIR})

function(vantor_install_programs)
  foreach(target IN LISTS ARGN)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "${VANTOR_PROGRAM_INSTALL_RPATH}")
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endforeach()
endfunction()

function(vantor_install_library target)
  cmake_parse_arguments(ARG "" "COMPONENT;PKGCONFIG;PKGCONFIG_REQUIRES" "DEPENDENCY;NEEDS" ${ARGN})
  if(NOT ARG_COMPONENT)
    message(FATAL_ERROR "vantor_install_library(${target}): COMPONENT is required")
  endif()
  set_target_properties(${target} PROPERTIES
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN"
    EXPORT_NAME ${target})

  # Public include folders: the build uses the source folders, an installed
  # consumer the one include/ folder they are copied into.
  get_target_property(includes ${target} INTERFACE_INCLUDE_DIRECTORIES)
  set(rewritten)
  foreach(folder IN LISTS includes)
    if(folder MATCHES "^\\$<")
      list(APPEND rewritten "${folder}")
      continue()
    endif()
    install(DIRECTORY ${folder}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
    list(APPEND rewritten "$<BUILD_INTERFACE:${folder}>")
  endforeach()
  list(APPEND rewritten "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${rewritten}")

  install(TARGETS ${target} EXPORT VANTOR${ARG_COMPONENT}Targets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    # Shared libraries are not programs; Debian wants them without the executable bit.
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  install(EXPORT VANTOR${ARG_COMPONENT}Targets NAMESPACE VANTOR::
    DESTINATION ${VANTOR_INSTALL_CMAKEDIR})

  # The component file: what the component needs, then its targets.
  set(component_file ${PROJECT_BINARY_DIR}/VANTOR/VANTOR${ARG_COMPONENT}.cmake)
  set(text "include(CMakeFindDependencyMacro)\n")
  foreach(dependency IN LISTS ARG_DEPENDENCY)
    string(APPEND text "find_dependency(${dependency})\n")
  endforeach()
  foreach(component IN LISTS ARG_NEEDS)
    string(APPEND text "include(\${CMAKE_CURRENT_LIST_DIR}/VANTOR${component}.cmake)\n")
  endforeach()
  string(APPEND text "include(\${CMAKE_CURRENT_LIST_DIR}/VANTOR${ARG_COMPONENT}Targets.cmake)\n")
  file(WRITE ${component_file} "${text}")
  install(FILES ${component_file} DESTINATION ${VANTOR_INSTALL_CMAKEDIR})
  set_property(GLOBAL APPEND PROPERTY VANTOR_INSTALLED_COMPONENTS ${ARG_COMPONENT})

  if(ARG_PKGCONFIG)
    string(TOLOWER ${target} module)
    set(PKGCONFIG_NAME ${target})
    set(PKGCONFIG_DESCRIPTION "${ARG_PKGCONFIG}")
    set(PKGCONFIG_REQUIRES "${ARG_PKGCONFIG_REQUIRES}")
    set(PKGCONFIG_LIBRARY ${target})
    # The prefix is written at install time: `cmake --install --prefix` and
    # the package choose it then.
    set(VANTOR_PC_PREFIX "@VANTOR_PC_PREFIX@")
    set(template ${PROJECT_BINARY_DIR}/VANTOR/${module}.pc.in)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/vantor-library.pc.in ${template} @ONLY)
    install(CODE "
      set(VANTOR_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
      configure_file(\"${template}\" \"${PROJECT_BINARY_DIR}/VANTOR/installed/${module}.pc\" @ONLY)
      file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\" TYPE FILE
           FILES \"${PROJECT_BINARY_DIR}/VANTOR/installed/${module}.pc\")")
  endif()
endfunction()

function(vantor_install_data)
  cmake_parse_arguments(ARG "" "DESTINATION" "" ${ARGN})
  set(destination ${VANTOR_INSTALL_DATADIR})
  if(ARG_DESTINATION)
    string(APPEND destination /${ARG_DESTINATION})
  endif()
  foreach(entry IN LISTS ARG_UNPARSED_ARGUMENTS)
    if(NOT IS_ABSOLUTE ${entry})
      set(entry ${CMAKE_CURRENT_SOURCE_DIR}/${entry})
    endif()
    if(IS_DIRECTORY ${entry})
      install(DIRECTORY ${entry} DESTINATION ${destination})
    else()
      install(FILES ${entry} DESTINATION ${destination})
    endif()
  endforeach()
endfunction()

function(vantor_install_package_config)
  get_property(VANTOR_COMPONENTS GLOBAL PROPERTY VANTOR_INSTALLED_COMPONENTS)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VANTORConfig.cmake.in
    ${PROJECT_BINARY_DIR}/VANTOR/VANTORConfig.cmake
    INSTALL_DESTINATION ${VANTOR_INSTALL_CMAKEDIR})
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/VANTOR/VANTORConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/VANTOR/VANTORConfig.cmake
                ${PROJECT_BINARY_DIR}/VANTOR/VANTORConfigVersion.cmake
          DESTINATION ${VANTOR_INSTALL_CMAKEDIR})
endfunction()
