# zv_add_test(<target> LABEL <module> SOURCES <files...> LIBS <libs...>)
# One GoogleTest binary per module, registered with CTest under the module's label
# so that `ctest -L <module>` runs one module's tests.
function(zv_add_test target)
    if(NOT ZV_BUILD_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_compile_definitions(${target} PRIVATE ZV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                                 ZV_PROGRAM_DIR="${ZV_PROGRAM_DIR}")
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
        # Tests that open sound get SDL's silent dummy device, as on CI.
        PROPERTIES LABELS ${ARG_LABEL} ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endfunction()

# zv_add_library(<target> SOURCES <files...> LIBS <public libs...>)
# Headers are included by their path from the repository root ("framework/FileObject.h").
function(zv_add_library target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${target} STATIC ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
endfunction()
