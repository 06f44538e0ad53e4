# Configures and builds the consumer project, then runs its program; any
# step that fails fails the test with that step's output.
function(run_step what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${what} failed (${result}):\n${output}")
    endif()
    message(STATUS "${output}")
endfunction()

run_step(configure ${CMAKE_COMMAND} -S ${PROJECT_DIR} -B ${BUILD_DIR} -G ${GENERATOR}
    -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    -DCMAKE_CXX_FLAGS=${CXX_FLAGS}
    -DTESSEL_SOURCE_DIR=${TESSEL_SOURCE_DIR}
    -DTESSEL_LIBRARY=${TESSEL_LIBRARY})
run_step(build ${CMAKE_COMMAND} --build ${BUILD_DIR})
run_step(run ${BUILD_DIR}/consumer)
