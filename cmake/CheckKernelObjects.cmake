# cmake -DNM=<nm> -DOBJECTS=<objects> -P CheckKernelObjects.cmake
#
# Of the given object files, checks those compiled as a kernel table of one
# vector set (a kernels_<set>/ copy, cmake/Kernels.cmake): each must define
# external symbols in that set's kernels namespace only, and refer to no
# symbol, neither a function of another file nor a library's (the sanitizers'
# and the stack protector's hooks, the exception personality and the offset
# table that instrumented builds bring aside).
set(checked 0)
set(faults "")
foreach(object ${OBJECTS})
  if(NOT object MATCHES "/kernels_([a-z0-9]+)/")
    continue()
  endif()
  set(set ${CMAKE_MATCH_1})
  math(EXPR checked "${checked} + 1")
  execute_process(COMMAND ${NM} -C --defined-only --extern-only ${object}
                  OUTPUT_VARIABLE defined RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${object}")
  endif()
  string(REPLACE "\n" ";" defined "${defined}")
  foreach(line ${defined})
    if(NOT line MATCHES "::kernels::${set}::" AND NOT line MATCHES " (__(odr_)?asan|DW\\.ref\\.__gxx_personality)")
      string(APPEND faults "${object}: defines ${line}\n")
    endif()
  endforeach()
  execute_process(COMMAND ${NM} --undefined-only ${object} OUTPUT_VARIABLE undefined)
  string(REPLACE "\n" ";" undefined "${undefined}")
  foreach(line ${undefined})
    if(NOT line MATCHES "U (__asan|__ubsan|__sanitizer|__lsan|__stack_chk|__gxx_personality|_GLOBAL_OFFSET_TABLE_)")
      string(APPEND faults "${object}: refers to ${line}\n")
    endif()
  endforeach()
endforeach()
if(checked EQUAL 0)
  message(FATAL_ERROR "no kernel object among ${OBJECTS}")
endif()
if(NOT faults STREQUAL "")
  message(FATAL_ERROR "${faults}")
endif()
message(STATUS "${checked} kernel objects checked")
