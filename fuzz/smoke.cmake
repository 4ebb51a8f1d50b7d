# One short fuzz run from a committed corpus, for CTest:
#   cmake -DFUZZER=exe -DCORPUS=dir -DSCRATCH=dir -DSECONDS=n -P smoke.cmake
# New inputs go to SCRATCH/new, so the corpus does not grow; a finding is
# kept in SCRATCH/findings and fails the run.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/new ${SCRATCH}/findings)
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -seed=1 -timeout=10
                        -artifact_prefix=${SCRATCH}/findings/ ${SCRATCH}/new ${CORPUS}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); its finding is in ${SCRATCH}/findings")
endif()
