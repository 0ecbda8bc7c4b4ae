# zv_add_test(<target> LABEL <module> SOURCES <files...> LIBS <libs...> [NO_WHOLE])
# One GoogleTest binary per module, registered with CTest under the module's label
# so that `ctest -L <module>` runs one module's tests. NO_WHOLE: no whole-binary run (tests that
# each start programs of their own, which share nothing in the test process).
function(zv_add_test target)
    if(NOT ZV_BUILD_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "NO_WHOLE" "LABEL" "SOURCES;LIBS" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    if(ZV_SANITIZE)
        # The tests' own code is mostly assertion macros that cost much to optimise and run once;
        # the code they test keeps its level. Half the compile time of a test file.
        target_compile_options(${target} PRIVATE -O0)
    endif()
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_compile_definitions(${target} PRIVATE ZV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                                 ZV_PROGRAM_DIR="${ZV_PROGRAM_DIR}")
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
        # Tests that open sound get SDL's silent dummy device, as on CI.
        PROPERTIES LABELS ${ARG_LABEL} ENVIRONMENT "SDL_AUDIODRIVER=dummy")
    if(ZV_TEST_WHOLE_BINARIES AND NOT ARG_NO_WHOLE)
        # Every test of the binary in one process, in their order: what one test leaves behind
        # (a cache, a registered class, a setting) meets the next.
        add_test(NAME whole.${target} COMMAND ${target} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
        # Started before the short per-test runs, which then fill the cores around them.
        set_tests_properties(whole.${target} PROPERTIES LABELS "${ARG_LABEL};whole" COST 100
                             ENVIRONMENT "SDL_AUDIODRIVER=dummy")
    endif()
endfunction()

# zv_add_library(<target> SOURCES <files...> LIBS <public libs...>)
# Headers are included by their path from the repository root ("framework/FileObject.h").
function(zv_add_library target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${target} STATIC ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
endfunction()

# zv_add_fuzzer(<target> SOURCES <files...> LIBS <libs...> [SEEDS <files or folders...>]
#               [DEPENDS <targets that make the seeds...>])
# A libFuzzer target (its sources define LLVMFuzzerTestOneInput), built only when the project is
# configured with ZV_BUILD_FUZZERS (clang). Each one is also a CTest test labelled `fuzz` that
# starts from the seeds and stops after ZV_FUZZ_RUNS inputs; `zv_fuzzers` builds them all.
function(zv_add_fuzzer target)
    if(NOT ZV_BUILD_FUZZERS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;SEEDS;DEPENDS" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS})
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    target_compile_definitions(${target} PRIVATE ZV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                                 ZV_PROGRAM_DIR="${ZV_PROGRAM_DIR}")
    if(NOT TARGET zv_fuzzers)
        add_custom_target(zv_fuzzers)
    endif()
    add_dependencies(zv_fuzzers ${target} ${ARG_DEPENDS})
    add_test(NAME fuzz.${target}
        COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${target}> "-DSEEDS=${ARG_SEEDS}"
                -DWORK=${CMAKE_BINARY_DIR}/fuzz/${target}.work -DRUNS=${ZV_FUZZ_RUNS}
                -P ${PROJECT_SOURCE_DIR}/cmake/RunFuzzer.cmake)
    set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz)
endfunction()
