# Helpers that keep every folder of src/ one library and every folder of tests/ one test program.

function(kestrave_warnings target)
  # GCC 12 reports false positives of the restrict, array-bounds and stringop families at -O3
  # inside the standard library; they stay warnings. Aggregates may leave trailing members to
  # their defaults.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-error=deprecated-declarations
    -Wno-missing-field-initializers -Wno-error=restrict -Wno-error=array-bounds
    -Wno-error=stringop-overflow -Wno-error=stringop-overread)
endfunction()

# kestrave_library(<folder> [QT] DEPS <libs...>)
# Builds src/<folder>/**/*.cpp into the static library kestrave_<folder>.
function(kestrave_library folder)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
  # Headers stay in the source list so that moc always sees the Q_OBJECT classes they declare.
  set(cpp_sources ${sources})
  list(FILTER cpp_sources INCLUDE REGEX "\\.cpp$")
  if(NOT cpp_sources)
    # A folder whose code has not arrived yet is a header-only interface.
    add_library(kestrave_${folder} INTERFACE)
    target_include_directories(kestrave_${folder} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(kestrave_${folder} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(kestrave_${folder} STATIC ${sources})
  target_include_directories(kestrave_${folder} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kestrave_${folder} PUBLIC ${ARG_DEPS})
  target_compile_definitions(kestrave_${folder} PUBLIC
    KESTRAVE_VERSION="${PROJECT_VERSION}")
  if(NOT ARG_QT)
    set_target_properties(kestrave_${folder} PROPERTIES AUTOMOC OFF)
  endif()
  kestrave_warnings(kestrave_${folder})
endfunction()

# kestrave_tests(<folder> [QT] DEPS <libs...>)
# Builds tests/<folder>/**/*_test.cpp into kestrave_<folder>_tests and registers every test case;
# the main (tests/test_main.cpp) gives the program and each test temporary settings folders.
# Core tests carry the label "core" so that the sanitizer run can pick them.
function(kestrave_tests folder)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(kestrave_${folder}_tests ${sources})
  target_link_libraries(kestrave_${folder}_tests PRIVATE ${ARG_DEPS} kestrave_test_support
                        GTest::gtest GTest::gmock kestrave_test_main)
  kestrave_warnings(kestrave_${folder}_tests)
  if(ARG_QT)
    set(labels gui)
  else()
    set(labels core)
    set_target_properties(kestrave_${folder}_tests PROPERTIES AUTOMOC OFF)
  endif()
  gtest_discover_tests(kestrave_${folder}_tests
    PROPERTIES LABELS "${labels}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()
