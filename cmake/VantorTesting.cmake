# vantor_add_gtest(<name> LABEL <label> SOURCES <files...> LIBRARIES <libs...> [QT])
#
# One GoogleTest program, its tests discovered into CTest under <label>.
# QT: the program gets a QApplication (tests may use QtTest's input
# simulation) and runs on the offscreen platform.
include(GoogleTest)

function(vantor_add_gtest name)
  cmake_parse_arguments(ARG "QT" "LABEL;TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
  # A test file that does not exist yet (work in progress in a shared checkout)
  # must not stop everybody else's configuration; it is reported loudly.
  foreach(source IN LISTS ARG_SOURCES)
    if(NOT IS_ABSOLUTE ${source})
      set(source ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endif()
    if(NOT EXISTS ${source})
      message(WARNING "Test program ${name} skipped: ${source} does not exist")
      # A placeholder keeps later target_* calls on the name valid.
      file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}_placeholder.cpp "int main() { return 0; }\n")
      add_executable(${name} ${CMAKE_CURRENT_BINARY_DIR}/${name}_placeholder.cpp)
      return()
    endif()
  endforeach()
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QT)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/qt_gtest_main.cpp)
    target_link_libraries(${name} PRIVATE GTest::gtest Qt6::Widgets Qt6::Test ${ARG_LIBRARIES})
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main ${ARG_LIBRARIES})
  endif()
  target_compile_definitions(${name} PRIVATE
    VANTOR_REAL_DICOM_DIR="${VANTOR_REAL_DICOM_DIR}"
    VANTOR_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VANTOR_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  # One variable only: gtest_discover_tests flattens a list-valued property,
  # so a second entry would be read as a property name. The leak
  # suppressions come from the test presets' environment.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABEL}" TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# vantor_add_pytest(<file> LABEL <label> [PYTHONPATH <dirs>...] [ENVIRONMENT <VAR=value>...])
#
# One pytest file as one CTest test named <label>.<file name>, run by
# Debian's interpreter (its numpy, pydicom, nibabel and VTK modules).
# VANTOR_BIN_DIR names the folder of the built programs; the helpers of
# tools/test-support are importable.
set(VANTOR_PYTHON3 /usr/bin/python3 CACHE FILEPATH "Debian's interpreter for the pytest files")
function(vantor_add_pytest test_file)
  cmake_parse_arguments(ARG "" "LABEL" "PYTHONPATH;ENVIRONMENT" ${ARGN})
  list(APPEND ARG_PYTHONPATH ${PROJECT_SOURCE_DIR}/tools/test-support)
  string(REPLACE ";" ":" python_path "${ARG_PYTHONPATH}")
  get_filename_component(test_name ${test_file} NAME_WE)
  add_test(NAME ${ARG_LABEL}.${test_name}
    COMMAND ${VANTOR_PYTHON3} -m pytest -q -p no:cacheprovider ${test_file})
  set_tests_properties(${ARG_LABEL}.${test_name} PROPERTIES
    LABELS ${ARG_LABEL}
    TIMEOUT 300
    ENVIRONMENT "PYTHONPATH=${python_path};VANTOR_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY};LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/.ci/lsan.supp;${ARG_ENVIRONMENT}")
endfunction()
