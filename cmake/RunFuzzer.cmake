# Runs one fuzzer for a bounded number of inputs: cmake -DFUZZER=... -DSEEDS=a;b -DWORK=dir
# -DRUNS=n -P RunFuzzer.cmake. The seeds (files, or folders whose files are seeds) are copied
# into a fresh corpus so that a run never changes them; crashes are left in WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
set(count 0)
foreach(seed IN LISTS SEEDS)
    if(IS_DIRECTORY ${seed})
        file(GLOB files LIST_DIRECTORIES false ${seed}/*)
    elseif(EXISTS ${seed})
        set(files ${seed})
    else()
        message(FATAL_ERROR "missing seed ${seed}")
    endif()
    foreach(file IN LISTS files)
        math(EXPR count "${count} + 1")
        get_filename_component(name ${file} NAME)
        file(COPY_FILE ${file} ${WORK}/corpus/${count}-${name})
    endforeach()
endforeach()
execute_process(
    COMMAND ${FUZZER} -runs=${RUNS} -artifact_prefix=${WORK}/ -print_final_stats=1 ${WORK}/corpus
    WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${WORK}")
endif()
