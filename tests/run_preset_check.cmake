# scripts/run's preset configures the program and nothing that only tests, measures or
# fuzzes it: no build step of tests/, bench/ or fuzz/. Configures and lists, never builds.
# cmake -DSOURCE_DIR=… -DWORK_DIR=… -P run_preset_check.cmake
set(build ${WORK_DIR}/run-preset)
file(REMOVE_RECURSE ${build})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} --preset run -B ${build}
  WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE configured OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "the preset 'run' does not configure:\n${said}")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${build} -- -t targets all
  RESULT_VARIABLE listed OUTPUT_VARIABLE targets ERROR_VARIABLE said)
if(NOT listed EQUAL 0)
  message(FATAL_ERROR "ninja cannot list the build steps of the preset 'run':\n${said}")
endif()

# One "output: rule" a line, the output relative to the build folder or absolute.
string(REPLACE "${build}/" "" targets "${targets}")
string(REGEX MATCHALL "(^|\n)(tests|bench|fuzz)/[^\n]*" extra "${targets}")
if(extra)
  list(LENGTH extra count)
  list(GET extra 0 first)
  string(STRIP "${first}" first)
  message(FATAL_ERROR "the preset 'run' builds ${count} steps of tests, benchmarks or fuzz targets, such as ${first}")
endif()
foreach(needed tarnwickery-receipt GUI.so 主程式.so)
  if(NOT targets MATCHES "(^|\n)program/${needed}:")
    message(FATAL_ERROR "the preset 'run' does not build program/${needed}, which the window needs")
  endif()
endforeach()
file(REMOVE_RECURSE ${build})
